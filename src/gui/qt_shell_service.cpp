#include "gui/qt_shell_service.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace zc {

bool IsSafeToOpen(const std::string& pathOrUrl) {
    const QUrl url = QUrl::fromUserInput(QString::fromStdString(pathOrUrl));
    static const QStringList safe = {"http", "https", "ftp", "mailto", "file", "smb"};
    return url.isValid() && safe.contains(url.scheme().toLower());
}

namespace {

class EffectPlayer : public SoundPlayer {
public:
    explicit EffectPlayer(const QString& file) { effect_.setSource(QUrl::fromLocalFile(file)); }
    // A sound still loading plays once it is loaded.
    void Play() override { effect_.play(); }
    bool IsPlaying() const override { return effect_.isPlaying(); }

private:
    QSoundEffect effect_;
};

}  // namespace

QtShellService::QtShellService()
    : sounds_([](const std::string& file) -> std::unique_ptr<SoundPlayer> {
          return std::make_unique<EffectPlayer>(QString::fromStdString(file));
      }) {}

void QtShellService::PlaySound(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    if (!file.isFile()) return;
    sounds_.Play(file.absoluteFilePath().toStdString());
}

bool QtShellService::OpenDocument(const std::string& pathOrUrl) {
    const QFileInfo file(QString::fromStdString(pathOrUrl));
    const QUrl url = file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath())
                                   : QUrl::fromUserInput(QString::fromStdString(pathOrUrl));
    if (!IsSafeToOpen(url.toString().toStdString())) return false;
    // Tests see what would be opened without starting a browser.
    const QByteArray record = qgetenv("ZELTOCHAT_OPEN_LOG");
    if (!record.isEmpty()) {
        QFile log(QString::fromLocal8Bit(record));
        if (!log.open(QIODevice::Append | QIODevice::WriteOnly)) return false;
        log.write(url.toString().toUtf8() + "\n");
        return true;
    }
    return QDesktopServices::openUrl(url);
}

}  // namespace zc
