#include "gui/web/page_scheme.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace zc {

PageSchemeHandler::PageSchemeHandler(QString programFolder) : root_(QDir(programFolder).canonicalPath()) {}

void PageSchemeHandler::RegisterScheme() {
    QWebEngineUrlScheme scheme(kPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QString PageSchemeHandler::Put(const void* view, const QByteArray& page) {
    Drop(view);
    const QString name = QString("/page/%1.html").arg(++next_);
    pages_.insert(name, page);
    current_.insert(view, name);
    return QString("%1:%2").arg(kPageScheme, name);
}

void PageSchemeHandler::Drop(const void* view) {
    if (auto it = current_.find(view); it != current_.end()) {
        pages_.remove(*it);
        current_.erase(it);
    }
}

void PageSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString path = job->requestUrl().path();
    if (auto it = pages_.constFind(path); it != pages_.constEnd()) {
        auto* buffer = new QBuffer(job);
        buffer->setData(*it);
        job->reply("text/html;charset=windows-1251", buffer);
        return;
    }
    // Style sheets and pictures of the program folder, nothing outside it.
    const QString file = QFileInfo(path).canonicalFilePath();
    if (file.isEmpty() || !(file == root_ || file.startsWith(root_ + "/")) || !QFileInfo(file).isFile()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* device = new QFile(file, job);
    if (!device->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    job->reply(QMimeDatabase().mimeTypeForFile(file).name().toUtf8(), device);
}

}  // namespace zc
