#pragma once
#include <functional>

#include <QObject>
#include <QStringList>

namespace zc {

// The one object pages can reach through the web channel of the program's own world.
class ViewBridge : public QObject {
    Q_OBJECT
public:
    explicit ViewBridge(std::function<void(const QStringList&)> onEvent, QObject* parent)
        : QObject(parent), onEvent_(std::move(onEvent)) {}
    // kind, class, id, inner text, parent class, outer html, title, left button down, href, src,
    // click count
    Q_INVOKABLE void onEvent(const QStringList& fields) {
        if (onEvent_ && fields.size() == kFields) onEvent_(fields);
    }

    static constexpr int kFields = 11;

private:
    std::function<void(const QStringList&)> onEvent_;
};

}  // namespace zc
