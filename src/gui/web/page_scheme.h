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
    // Keeps a view's page, in place of its earlier one, and returns the address it loads from.
    // Each view has its own place: however many pages another view writes, this one can still
    // load (or reload) its own.
    QString Put(const void* view, const QByteArray& page);
    // The view is gone: its page goes with it.
    void Drop(const void* view);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString root_;
    QHash<QString, QByteArray> pages_;     // by address
    QHash<const void*, QString> current_;  // each view's address
    quint64 next_ = 0;
};

}  // namespace zc
