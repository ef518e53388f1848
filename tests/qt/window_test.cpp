// The main window as a user meets it: start-up, the form, New / Open /
// Save, the model change, the changed-document question, recent files, the
// command line, dropped files, menus, toolbar and About box.
#include "app_harness.h"

#include "qt/about_dlg.h"
#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "qt/prompts.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace apptest;
using varnok::Setting;

namespace {

const QStringList kHeaders = {"信道",     "接收频率(MHz)", "发射频率(MHz)", "QT/DQT解码", "QT/DQT编码",
                              "繁忙锁定", "宽/窄带",       "扫描",          "功率"};

/// What a new document's settings boxes show (its image read as decoded).
const std::pair<Setting, int> kNewDocumentSelections[] = {
    {Setting::Model, 0},     {Setting::Band, 0},      {Setting::TxTimeLimit, 6}, {Setting::KeyBeep, 0},
    {Setting::Squelch, 9},   {Setting::Monitor, 3},   {Setting::Scan, 1},        {Setting::Voice, 2},
    {Setting::Emergency, 3}, {Setting::PowerSave, 1}, {Setting::RejectAlarm, 1},
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QString writeFile(const QString& name, const Bytes& bytes) { return writeFixture(file(name), bytes); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        isolateSettings(m_dir.filePath(QStringLiteral("settings")));
    }
    void init() { clearSettings(); }

    void startsWithANewDocumentInTheStartingForm() {
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Varnok写频软件"));
        QVERIFY(frame->isVisible());
        for (const auto& [setting, index] : kNewDocumentSelections)
            QCOMPARE(run.combo(setting).currentIndex(), index);
        CMSFlexGrid& grid = run.grid();
        for (int col = 0; col < 9; ++col) {
            QCOMPARE(grid.GetTextMatrix(0, col), kHeaders.at(col));
            QCOMPARE(grid.GetColAlignment(col), short(CMSFlexGrid::flexAlignCenterCenter));
        }
        for (int row = 1; row <= 16; ++row) {
            QCOMPARE(grid.GetTextMatrix(row, 0), QString::number(row));
            for (int col = 1; col < 9; ++col)
                QVERIFY2(grid.GetTextMatrix(row, col).isEmpty(), qPrintable(QStringLiteral("%1,%2").arg(row).arg(col)));
        }
        QCOMPARE(grid.GetRow(), 1L);
        QCOMPARE(grid.GetCol(), 1L);
        QCOMPARE(frame->focusWidget(), &run.combo(Setting::Model));
        QVERIFY(!run.app->GetDocument()->IsModified());
        QVERIFY(run.app->GetDocument()->GetPathName().isEmpty());
        // The cell editors wait hidden over the grid; the tone box lists
        // the whole tone table.
        for (QWidget* editor : grid.CellHost()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY(editor->isHidden());
        QCOMPARE(grid.CellHost()->findChild<QComboBox*>(QStringLiteral("combo1000"))->count(), 261);

        // Shrunk to the form from 900 x 600, and centred on its screen.
        QVERIFY(frame->width() <= 900 && frame->height() <= 600);
        const QPoint centre = frame->screen()->availableGeometry().center();
        const QPoint slack = (frame->frameGeometry().bottomRight() - frame->geometry().bottomRight()) +
                             (frame->geometry().topLeft() - frame->frameGeometry().topLeft());
        QVERIFY(qAbs(frame->geometry().center().x() - centre.x()) <= slack.x() / 2 + 1);
        QVERIFY(qAbs(frame->geometry().center().y() - centre.y()) <= slack.y() / 2 + 1);
    }

    void theFormCarriesTheTemplatesLabels() {
        Run run;
        QStringList labels;
        for (const QLabel* label : run.app->GetView()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            labels << label->text();
        // Exactly as designed, with the leading blank and the ten blanks.
        for (const char* text : {"机型", "频率", "发射限时", "提示音", "静噪电平", "监听", "扫描", " 报号选择",
                                 "紧急呼叫          开关", "省电开关", "信道设置", "拒绝紧急报警"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(labels.size(), 12);
    }

    void tableShowsEveryChannelAndKeepsItsProportions() {
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        CMSFlexGrid& grid = run.grid();

        // w is what a grid of this size and font gives column 2 untouched.
        CMSFlexGrid probe(17, 9);
        probe.setFont(grid.font());
        probe.resize(grid.size());
        const long w = probe.GetColWidth(2);
        QVERIFY(w > 0);
        const long expected[9] = {
            long(w * 0.5), long(w * 1.25), long(w * 1.25), long(w * 1.25), long(w * 1.25),
            long(w / 1.2), long(w / 1.4),  long(w / 1.4),  long(w / 1.4),
        };
        QList<long> widths;
        for (int col = 0; col < 9; ++col) {
            QCOMPARE(grid.GetColWidth(col), expected[col]);
            widths << grid.GetColWidth(col);
        }

        // Nothing scrolls or is cut: all rows and columns, every header.
        int used = 0;
        for (int col = 0; col < 9; ++col) {
            used += grid.columnWidth(col);
            QVERIFY2(grid.fontMetrics().horizontalAdvance(kHeaders.at(col)) < grid.columnWidth(col),
                     qPrintable(kHeaders.at(col)));
        }
        QVERIFY(used <= grid.viewport()->width());
        QVERIFY(grid.rowViewportPosition(16) + grid.rowHeight(16) <= grid.viewport()->height());
        auto* area = qobject_cast<QScrollArea*>(frame->centralWidget());
        QVERIFY(area);
        QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(area->verticalScrollBar()->maximum(), 0);

        // A second document in the same run keeps widths and editors.
        QVERIFY(run.app->OpenDocumentFile(writeFile("configured.sin", configuredBytes())));
        for (int col = 0; col < 9; ++col)
            QCOMPARE(grid.GetColWidth(col), widths.at(col));
        QCOMPARE(grid.CellHost()->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    void tabFollowsTheTemplateOrder() {
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        QVERIFY(activate(frame));
        run.combo(Setting::Model).setFocus();
        QStringList visited;
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"combo1013", "combo1014", "combo1016", "combo1012", "combo1075", "combo1076",
                                       "combo1077", "combo1078", "grid1007", "combo1015", "combo1011", "combo1017"}));
    }

    void newThenSaveWritesTheNewDocumentBytes() {
        Run run;
        QVERIFY(activate(run.app->GetMainFrame()));
        run.prompts.chooseSave(file("first.sin"));
        QTest::keyClick(run.app->GetMainFrame(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(run.prompts.saveSuggestions().value(0).endsWith(QStringLiteral("Write Data.sin")));
        QCOMPARE(readImage(file("first.sin")), std::optional<Bytes>(newSavedBytes()));
        QCOMPARE(run.app->GetDocument()->GetPathName(), file("first.sin"));
        QVERIFY(!run.app->GetDocument()->IsModified());
    }

    void theReportIsPrintedFromWhatTheFormShows() {
        Run run(writeFile(QStringLiteral("configured.sin"), configuredBytes()));
        CMainFrame* frame = run.app->GetMainFrame();
        for (int id : {CMainFrame::ID_FILE_PRINT, CMainFrame::ID_FILE_PRINT_PREVIEW, CMainFrame::ID_FILE_PRINT_SETUP})
            QVERIFY(frame->Action(id)->isEnabled());
        // The PDF item stands right below the printer set-up.
        const QList<QAction*> items = frame->menuBar()->actions().at(0)->menu()->actions();
        const qsizetype setup = items.indexOf(frame->Action(CMainFrame::ID_FILE_PRINT_SETUP));
        QVERIFY(setup >= 0);
        QCOMPARE(items.value(setup + 1), frame->ExportPdfAction());

        const QString pdf = file(QStringLiteral("report.pdf"));
        run.app->m_prompts.pdfFileName = [&](QWidget*, const QString&) { return pdf; };
        frame->ExportPdfAction()->trigger();
        QFile out(pdf);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QVERIFY(out.read(5) == "%PDF-");
        QCOMPARE(run.prompts.asked().size(), 0);

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess text;
        text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(printed.contains(QStringLiteral("The Radio Settings")));
        const varnok::FormState form = run.form();
        // pdftotext folds the blanks after the label.
        const QString model = QString::fromStdString(form.selectedText(varnok::Setting::Model));
        QVERIFY(printed.contains(QRegularExpression(QStringLiteral("Type:\\s+") + QRegularExpression::escape(model))));
        for (int row = 1; row <= 16; ++row) {
            const std::string& rx = form.cell(row, varnok::column::kRxFrequency);
            if (!rx.empty())
                QVERIFY2(printed.contains(QString::fromStdString(rx)), rx.c_str());
        }
    }

    void closingAChangedDocumentAsks() {
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        chooseByKeyboard(run.combo(Setting::KeyBeep), 1);
        run.prompts.answer(QMessageBox::Cancel);
        QVERIFY(!frame->close());
        QVERIFY(frame->isVisible());
        run.prompts.answer(QMessageBox::Discard);
        frame->Action(CMainFrame::ID_APP_EXIT)->trigger();
        QVERIFY(!frame->isVisible());
        QCOMPARE(run.prompts.asked().size(), 2);
    }

    void recentFilesAreKeptBetweenRuns() {
        QStringList paths;
        for (const char* name : {"a.sin", "b.sin", "c.sin", "d.sin", "e.sin"}) {
            Bytes bytes = newSavedBytes();
            put(bytes, 60, 1, {static_cast<std::uint8_t>(paths.size())}); // squelch tells them apart
            paths << writeFile(QString::fromUtf8(name), bytes);
        }
        {
            Run run;
            CMainFrame* frame = run.app->GetMainFrame();
            QVERIFY(frame->RecentFilePlaceholder()->isVisible());
            QVERIFY(!frame->RecentFilePlaceholder()->isEnabled());
            QVERIFY(!frame->RecentFileAction(0)->isVisible());
            for (const QString& path : paths)
                QVERIFY(run.app->OpenDocumentFile(path));
            QCOMPARE(run.recentFiles(), QStringList({paths[4], paths[3], paths[2], paths[1]}));
        }
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        QVERIFY(!frame->RecentFilePlaceholder()->isVisible());
        for (int i = 0; i < 4; ++i) {
            QVERIFY(frame->RecentFileAction(i)->isVisible());
            QCOMPARE(frame->RecentFileAction(i)->text(),
                     QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(paths[4 - i])));
            QCOMPARE(frame->RecentFileAction(i)->statusTip(), QStringLiteral("打开该文档"));
        }
        // The first entry opens its file like the others.
        frame->RecentFileAction(0)->trigger();
        QCOMPARE(run.app->GetDocument()->GetPathName(), paths[4]);
        QCOMPARE(run.combo(Setting::Squelch).currentIndex(), 4);
    }

    void theCommandLineOpensItsFile() {
        const QString path = writeFile("configured.sin", configuredBytes());
        Run run(path);
        QCOMPARE(run.app->GetDocument()->GetPathName(), path);
        QCOMPARE(run.grid().GetTextMatrix(1, 1), QStringLiteral("460.12500"));
        QCOMPARE(run.combo(Setting::Squelch).currentIndex(), 3);
        QCOMPARE(run.app->GetMainFrame()->windowTitle(), QStringLiteral("Varnok写频软件"));
        QCOMPARE(run.recentFiles(), QStringList(path));
        QVERIFY(!run.app->GetDocument()->IsModified());
        QCOMPARE(run.prompts.asked().size(), 0);

        Run missing(file("missing.sin"));
        QCOMPARE(missing.prompts.asked().size(), 1);
        QVERIFY(missing.prompts.asked().at(0).text.contains(QDir::toNativeSeparators(file("missing.sin"))));
        QVERIFY(missing.app->GetDocument()->GetPathName().isEmpty());
        QCOMPARE(missing.combo(Setting::Squelch).currentIndex(), 9);
        QVERIFY(missing.app->GetMainFrame()->isVisible());
    }

    void aDroppedChannelFileOpens() {
        const QString path = writeFile("dropped.sin", configuredBytes());
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        const QPoint at(frame->width() / 2, frame->height() / 2);

        QMimeData text;
        text.setUrls({QUrl::fromLocalFile(file("notes.txt"))});
        QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &drop);
        QTRY_COMPARE(run.app->GetDocument()->GetPathName(), path);
        QCOMPARE(run.grid().GetTextMatrix(1, 1), QStringLiteral("460.12500"));
    }

    void menusToolbarAndStatusBarFollowTheTables() {
        Run run;
        CMainFrame* frame = run.app->GetMainFrame();
        QStringList titles;
        for (QAction* menu : frame->menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, QStringList({"文件(&F)", "编程", "端口(&C)", "查看(&V)", "帮助(&H)"}));

        // Prompts and tooltips are the two halves of one string; the port
        // items carry their shortcut label in their text, and the key works.
        QAction* saveAs = frame->Action(CMainFrame::ID_FILE_SAVE_AS);
        QCOMPARE(saveAs->statusTip(), QStringLiteral("将活动文档以一个新文件名保存"));
        QCOMPARE(saveAs->toolTip(), QStringLiteral("另存为"));
        QCOMPARE(frame->Action(CMainFrame::ID_RADIO_WRITE)->shortcut(), QKeySequence(QStringLiteral("Ctrl+W")));
        QAction* com1 = frame->Action(CMainFrame::ID_PORT_COM1);
        QCOMPARE(com1->text(), QStringLiteral("COM1 \tCtrl+1"));
        QCOMPARE(com1->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
        QCOMPARE(com1->statusTip(), QStringLiteral("选择串口1 "));

        QStringList buttons;
        for (QAction* action : frame->ToolBar()->actions()) {
            buttons << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
            for (int size : {16, 32}) // drawn for both densities
                QVERIFY(action->isSeparator() || action->icon().pixmap(size, size).toImage().width() == size);
        }
        QCOMPARE(buttons, QStringList({"新建", "打开", "保存", "|", "读频", "写频", "|", "打印", "关于"}));

        QStringList panes;
        for (const QLabel* label : frame->statusBar()->findChildren<QLabel*>())
            panes << label->text();
        QCOMPARE(panes, QStringList({"就绪", "大写", "数字", "滚动"}));
        frame->Action(CMainFrame::ID_VIEW_TOOLBAR)->trigger();
        frame->Action(CMainFrame::ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame->ToolBar()->isHidden() && frame->statusBar()->isHidden());
    }

    void aboutBoxShowsVersionAndCloses() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("version"))->text(), QStringLiteral("版本1.0.1"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("description"))->text().count(QLatin1Char('\n')), 1);
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("ok"));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }

    void messageBoxesSpeakTheInterfacesLanguage() {
        std::unique_ptr<QMessageBox> box(varnok::qt::createMessageBox(
            nullptr, QMessageBox::Question, QStringLiteral("?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save));
        QCOMPARE(box->windowTitle(), QStringLiteral("Varnok写频软件"));
        QCOMPARE(box->button(QMessageBox::Save)->text(), QStringLiteral("保存(&S)"));
        QCOMPARE(box->button(QMessageBox::Discard)->text(), QStringLiteral("不保存(&N)"));
        QCOMPARE(box->button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Save));

        // So do Qt's own dialogs, once the program runs.
        Run run;
        QFileDialog chooser;
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(chooser.labelText(QFileDialog::LookIn), QStringLiteral("查找范围："));
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
