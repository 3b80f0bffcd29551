#include "qt/qt_process_starter.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace zc {

bool QtProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& args,
                                     const std::string& workDir) {
    // Paths and arguments are file system bytes, not chat text.
    QStringList list;
    for (const std::string& a : args) list << QFile::decodeName(QByteArray::fromStdString(a));
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), list,
                                   QFile::decodeName(QByteArray::fromStdString(workDir)));
}

}  // namespace zc
