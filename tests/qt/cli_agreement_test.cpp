// The window and the command-line tool are two faces of one program: a file
// opened in the window paints what `varnok-cli show --json` prints for it,
// odd codes included, and what is typed and chosen in the window saves what
// `varnok-cli build` writes for the same form.
#include "app_harness.h"

#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace apptest;
using varnok::Setting;

namespace {

struct CliResult {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

CliResult runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VARNOK_CLI_PATH), args);
    CliResult result;
    if (!process.waitForFinished(30000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

/// Compares the window's form with the JSON that `show --json` prints.
void compareWithShow(const Run& run, const QString& path) {
    const CliResult shown = runCli({QStringLiteral("show"), path, QStringLiteral("--json")});
    QVERIFY2(shown.status == 0, shown.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(shown.out).object();
    const QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    for (Setting setting : varnok::kAllSettings) {
        const QJsonObject value = settings.value(QString::fromUtf8(varnok::settingKey(setting))).toObject();
        const QComboBox& box = run.combo(setting);
        QVERIFY2(box.currentIndex() == value.value(QStringLiteral("index")).toInt(-2), varnok::settingKey(setting));
        QCOMPARE(box.currentText(), value.value(QStringLiteral("text")).toString());
    }
    const QJsonArray channels = json.value(QStringLiteral("channels")).toArray();
    QCOMPARE(channels.size(), 16);
    for (int row = 1; row <= 16; ++row) {
        const QJsonObject channel = channels.at(row - 1).toObject();
        QCOMPARE(channel.value(QStringLiteral("channel")).toInt(), row);
        for (int col = 1; col < varnok::column::kCount; ++col) {
            const QString key = QString::fromUtf8(varnok::columnKeys()[static_cast<std::size_t>(col)]);
            QCOMPARE(run.grid().GetTextMatrix(row, col), channel.value(key).toString());
        }
    }
}

} // namespace

class CliAgreementTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        isolateSettings(m_dir.filePath(QStringLiteral("settings")));
    }

    void openShowsWhatTheCliShows_data() {
        QTest::addColumn<QByteArray>("bytes");
        auto add = [](const char* name, const Bytes& bytes) {
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        };
        Bytes odd = configuredBytes();
        put(odd, 61, 6, {'X'});                    // model code neither '2' nor '3'
        put(odd, 61, 2, {0xF4});                   // band beyond the list
        put(odd, 60, 0, {0x00, 0x0A, 0x07, 0x0B}); // squelch 10, monitor 7, time limit 11
        put(odd, 4, 0, {0xFE, 0xFE, 0xFE, 0xFE, 0x9A, 0xBC, 0xDE, 0xF1, 0x99, 0x7F, 0x00, 0xC0, 0x60});
        add("odd codes", odd);
        Bytes third = configuredBytes();
        put(third, 61, 6, {'3'});
        put(third, 61, 2, {0xEF});
        add("second model code", third);
    }

    void openShowsWhatTheCliShows() {
        QFETCH(QByteArray, bytes);
        const QString path = file(QStringLiteral("open.sin"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(out.write(bytes), qint64(1024));
        out.close();
        // `show` tells what a fresh run shows, so each file gets its own run.
        Run run(path);
        QCOMPARE(run.app->GetDocument()->GetPathName(), path);
        compareWithShow(run, path);
    }

    void saveWritesWhatTheCliBuilds() {
        const QString base = file(QStringLiteral("base.sin"));
        const QString edited = file(QStringLiteral("edited.sin"));
        QVERIFY(writeImage(base, configuredBytes()));
        QVERIFY(writeImage(edited, configuredBytes()));

        Run run(edited);
        CMainFrame* frame = run.app->GetMainFrame();
        QVERIFY(activate(frame));

        // The model first: choosing it resets the band chosen after it.
        const std::pair<Setting, int> choices[] = {
            {Setting::Model, 2},     {Setting::Band, 3},      {Setting::TxTimeLimit, 1}, {Setting::KeyBeep, 0},
            {Setting::Squelch, 7},   {Setting::Monitor, 0},   {Setting::Scan, 0},        {Setting::Voice, 0},
            {Setting::Emergency, 2}, {Setting::PowerSave, 0}, {Setting::RejectAlarm, 1},
        };
        QJsonObject settings;
        for (const auto& [setting, index] : choices) {
            chooseByKeyboard(run.combo(setting), index);
            QCOMPARE(run.combo(setting).currentIndex(), index);
            settings.insert(QString::fromUtf8(varnok::settingKey(setting)), QJsonObject{{"index", index}});
        }
        // Cells typed as a user types them.
        const QStringList channel4 = {"439.12500", "434.12500", "D023N", "88.5", "否", "窄带", "添加", "低"};
        QJsonObject row4{{"channel", 4}};
        for (int col = 1; col <= 8; ++col)
            row4.insert(QString::fromUtf8(varnok::columnKeys()[static_cast<std::size_t>(col)]), channel4.at(col - 1));
        CMSFlexGrid& grid = run.grid();
        auto click = [&](int row, int col) {
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                              grid.visualRect(grid.model()->index(row, col)).center());
        };
        auto keys = [](const QString& typed) {
            for (QChar ch : typed)
                QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
        };
        auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
        click(4, 1);
        for (const char* typed : {"439.125", "434.125", "D023N", "88.5"}) {
            keys(typed);
            key(Qt::Key_Return);
        }
        for (Qt::Key k : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Return, Qt::Key_Return, Qt::Key_Down, Qt::Key_Down})
            key(k); // 否, 窄带, 添加, 低
        click(1, 1);
        key(Qt::Key_Delete);
        key(Qt::Key_Return);
        for (int col = 1; col <= 8; ++col)
            QCOMPARE(grid.GetTextMatrix(4, col), channel4.at(col - 1));
        const QJsonObject row1{{"channel", 1}, {"rx", ""}, {"decode", ""}};
        QVERIFY(run.app->GetDocument()->IsModified());

        QTest::keyClick(frame, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!run.app->GetDocument()->IsModified());
        QCOMPARE(run.prompts.asked().size(), 0);

        const QString formPath = file(QStringLiteral("form.json"));
        QFile form(formPath);
        QVERIFY(form.open(QIODevice::WriteOnly | QIODevice::Truncate));
        form.write(QJsonDocument(QJsonObject{{"settings", settings}, {"channels", QJsonArray{row4, row1}}}).toJson());
        form.close();
        const QString built = file(QStringLiteral("built.sin"));
        const CliResult result = runCli({QStringLiteral("build"), formPath, QStringLiteral("--base"), base,
                                         QStringLiteral("-o"), built, QStringLiteral("--raw")});
        QVERIFY2(result.status == 0, result.err.constData());
        const auto saved = readImage(edited);
        QVERIFY(saved.has_value());
        QCOMPARE(saved, readImage(built));
        QVERIFY(*saved != configuredBytes());

        // Reopened, the saved file shows the same as the tool shows it.
        Run reopened(edited);
        compareWithShow(reopened, edited);
        QCOMPARE(reopened.grid().GetTextMatrix(4, 1), QStringLiteral("439.12500"));
    }
};

QTEST_MAIN(CliAgreementTest)
#include "cli_agreement_test.moc"
