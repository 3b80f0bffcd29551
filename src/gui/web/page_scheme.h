#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

namespace zc {

inline constexpr char kPageScheme[] = "zcpage";

// Serves the pages the program writes (any size, as windows-1251 bytes) and the files of the
// program folder they refer to. Registered before the application object exists.
class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    explicit PageSchemeHandler(QString programFolder);
    static void RegisterScheme();
    // Keeps a page and returns the address it loads from.
    QString Put(const QByteArray& page);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString root_;
    QHash<QString, QByteArray> pages_;
    quint64 next_ = 0;
};

}  // namespace zc
