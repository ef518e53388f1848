// varnok: the desktop program. Parses the command line and hands over to
// the application object.
#include "qt/program_app.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnok"));
    QApplication::setApplicationVersion(QStringLiteral(VARNOK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("varnok"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Programs QX-100, QX-200 and QX-300 radios."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Channel data file (*.sin) to open."),
                                 QStringLiteral("[file]"));
    parser.process(application);

    CProgramApp program;
    if (!program.InitInstance(parser.positionalArguments().value(0)))
        return 1;
    return QApplication::exec();
}
