#include "commands.h"

#include "cli_error.h"
#include "document.h"
#include "qt/report_painter.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

#include <iostream>
#include <memory>

namespace varnok::cli {
namespace {

/// Qt's warnings are about the environment (an unset XDG_RUNTIME_DIR, a
/// missing font cache), which a command-line user did not ask about and
/// which would read as a failure; only Qt's errors are passed on.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "varnok-cli: " << message.toStdString() << '\n';
}

/// Fonts can only be measured with a GUI application. A command-line run
/// has no window to show, so it never needs a display either: the
/// offscreen platform draws the same with fontconfig's fonts.
std::unique_ptr<QGuiApplication> guiApplication() {
    if (QCoreApplication::instance())
        return nullptr;
    qInstallMessageHandler(qtMessage);
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // Qt keeps references to these for the application's lifetime.
    static int argc = 1;
    static char name[] = "varnok-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

void runReport(const ReportOptions& options) {
    const Document doc = openDocument(options.file);
    const std::unique_ptr<QGuiApplication> app = guiApplication();
    std::string error;
    if (!report::renderReportPdf(doc.form, options.output, error))
        throw CommandError(kExitFailed, error);
}

} // namespace varnok::cli
