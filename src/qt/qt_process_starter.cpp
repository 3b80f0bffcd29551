#include "qt/qt_process_starter.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace zc {
namespace {

QStringList Arguments(const std::vector<std::string>& args) {
    // Paths and arguments are file system bytes, not chat text.
    QStringList list;
    for (const std::string& a : args) list << QFile::decodeName(QByteArray::fromStdString(a));
    return list;
}

}  // namespace

bool QtProcessStarter::StartWatched(const std::string& program, const std::vector<std::string>& args,
                                    const std::string& workDir, std::function<void(int)> onFinished) {
    auto* process = new QProcess;
    process->setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
    process->setArguments(Arguments(args));
    process->setWorkingDirectory(QFile::decodeName(QByteArray::fromStdString(workDir)));
    // The editor's window is its own; what it prints is not ours to keep.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return false;
    }
    QObject::connect(process, &QProcess::finished, process, [process, onFinished](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (onFinished) onFinished(status == QProcess::NormalExit ? code : -1);
    });
    return true;
}

bool QtProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& args,
                                     const std::string& workDir) {
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), Arguments(args),
                                   QFile::decodeName(QByteArray::fromStdString(workDir)));
}

}  // namespace zc
