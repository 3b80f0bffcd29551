// The options editor the chat starts as option.cmd.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>
#include <cstring>

#include "options/options_window.h"

namespace {
constexpr char kAccess[] = "qpLTX7!&*#^%wmvbn81627";
}

int main(int argc, char** argv) {
    bool allowed = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], kAccess) == 0) allowed = true;
    if (!allowed) {
        // Started by hand it would edit settings the running chat does not know it must re-read.
        std::fprintf(stderr, "zeltooptions: open the options from ZeltoChat (F11 or the menu).\n");
        return 2;
    }
    QApplication app(argc, argv);
    QCommandLineParser args;
    QCommandLineOption root("root", "Program folder to edit (default: the current folder).", "folder");
    args.addOption(root);
    args.addPositionalArgument("access", "The access argument the chat passes.");
    args.process(app);
    const QString folder = args.isSet(root) ? args.value(root) : QDir::currentPath();
    zc::COptionsWindow window(folder.toStdString());
    window.show();
    return app.exec();
}
