#include "options/options_page.h"

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

}  // namespace zc
