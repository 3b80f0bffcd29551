#include "options/options_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

namespace zc {

COptionsPage::COptionsPage(const OptionsStore& store, QWidget* parent) : QWidget(parent), store_(store) {}

QString COptionsPage::Tr(int number, const char* fallback) const { return Q(store_.Text(number, fallback)); }

QString COptionsPage::ChatTr(int number, const char* fallback) const { return Q(store_.ChatText(number, fallback)); }

QLabel* COptionsPage::ErrorLabel(const QString& objectName) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setStyleSheet("color: #b00000");
    label->setWordWrap(true);
    label->hide();
    return label;
}

QLayout* COptionsPage::WithError(QWidget* field, QLabel* error) {
    auto* box = new QVBoxLayout;
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(field);
    box->addWidget(error);
    return box;
}

bool CopyOver(const QString& source, const QString& target) {
    const QString from = QFileInfo(source).canonicalFilePath();
    if (from.isEmpty()) return false;  // gone, and an empty path would equal a missing target
    if (from == QFileInfo(target).canonicalFilePath()) return true;
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QString part = target + ".part";
    QFile::remove(part);
    if (!QFile::copy(source, part)) {
        QFile::remove(part);
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

}  // namespace zc
