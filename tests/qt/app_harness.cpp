#include "app_harness.h"

#include "qt/flex_grid.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"

#include <QComboBox>
#include <QFile>
#include <QSettings>
#include <QTest>

namespace apptest {

void put(Bytes& image, int row, int k, std::initializer_list<std::uint8_t> values) {
    std::size_t at = static_cast<std::size_t>(row * 16 + k);
    for (std::uint8_t v : values)
        image[at++] = v;
}

Bytes newSavedBytes() {
    Bytes b;
    b.fill(0xFF);
    for (int row = 1; row <= 16; ++row)
        put(b, row, 12, {0xCF});
    for (int row = 17; row <= 24; ++row)
        put(b, row, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0xFF});
    put(b, 40, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    put(b, 60, 0, {0xFF, 0x09, 0x03, 0x06});
    put(b, 61, 0, {0x00, 0x00, 0xF0, 0x37, 0x30, 0x31, 0x32, 0x50});
    put(b, 63, 0, {0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B});
    return b;
}

Bytes configuredBytes() {
    Bytes b;
    b.fill(0xFF);
    // Channel 1: 460.125 / 460.125, 88.5 Hz both ways, 否, wide, 添加, medium.
    put(b, 1, 0, {0x00, 0x25, 0x01, 0x46, 0x00, 0x25, 0x01, 0x46, 0x85, 0x08, 0x85, 0x08, 0xBB, 0x01, 0x01, 0xFF});
    // Channel 2: 145.2375 / 145.23, no decode tone, D023N encode, 是, narrow, low.
    put(b, 2, 0, {0x50, 0x37, 0x52, 0x14, 0x00, 0x30, 0x52, 0x14, 0xFF, 0xFF, 0x23, 0x80, 0x8E, 0x01, 0x00, 0xFF});
    // Channel 3: transmit only 162.55, tones 00 00 (none), 是, narrow, high.
    put(b, 3, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x50, 0x25, 0x16, 0x00, 0x00, 0x00, 0x00, 0xC6, 0x01, 0x01, 0xFF});
    // Channel 9: receive only 438.5, D754I decode, 否, narrow, 添加, high.
    put(b, 9, 0, {0x00, 0x50, 0x38, 0x43, 0xFF, 0xFF, 0xFF, 0xFF, 0x54, 0xC7, 0xFF, 0xFF, 0xD5, 0x01, 0x01, 0x5A});
    // Channel 16: 400.0 both ways, both power bits set, and the radio's own
    // bits 1, 3 and 7.
    put(b, 16, 0, {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40, 0x41, 0x25, 0x41, 0x25, 0xEA, 0x01, 0x01, 0x33});
    // Auxiliary records as a radio leaves them.
    for (int row = 17; row <= 24; ++row)
        put(b, row, 0,
            {0x00, 0x10, 0x01, 0x46, 0x00, 0x00, 0x01, 0x46, 0x12, 0x34, 0x56, 0x78, 0x9A, 0x01, 0x01, 0xBC});
    put(b, 40, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    // Settings: beep off, power save on, scan on, reject alarm on, English,
    // local alarm; squelch 3, monitor 1, time limit 90 s.
    put(b, 60, 0, {0x56, 0x03, 0x01, 0x03, 0x11, 0x22});
    put(b, 61, 0, {0x00, 0x00, 0xF2, 0x37, 0x30, 0x31, 0x32, 0x50, 0xA5});
    put(b, 63, 0, {0x5E, 0x09, 0x2B, 0x69, 0xD8, 0xAA, 0x41, 0xAA, 0x60, 0x4B, 0x01, 0x02});
    return b;
}

bool writeImage(const QString& path, const Bytes& image) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) ==
           static_cast<qint64>(image.size());
}

QString writeFixture(const QString& path, const Bytes& image) {
    if (!writeImage(path, image))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

std::optional<Bytes> readImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    if (data.size() != 1024)
        return std::nullopt;
    Bytes b;
    std::copy(data.begin(), data.end(), reinterpret_cast<char*>(b.data()));
    return b;
}

void ScriptedPrompts::install(CProgramApp& app) {
    app.m_prompts.message = [this](QWidget*, QMessageBox::Icon icon, const QString& text,
                                   QMessageBox::StandardButtons buttons, QMessageBox::StandardButton) {
        m_asked.push_back({icon, text, buttons});
        if (m_answers.empty()) {
            ++m_unexpected;
            return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
        }
        const QMessageBox::StandardButton next = m_answers.front();
        m_answers.pop_front();
        return next;
    };
    app.m_prompts.openFileName = [this](QWidget*, const QString&) {
        if (m_openNames.empty())
            return QString();
        const QString next = m_openNames.front();
        m_openNames.pop_front();
        return next;
    };
    app.m_prompts.saveFileName = [this](QWidget*, const QString& suggested) {
        m_saveSuggestions << suggested;
        if (m_saveNames.empty())
            return QString();
        const QString next = m_saveNames.front();
        m_saveNames.pop_front();
        return next;
    };
}

Run::Run(const QString& file) : app(std::make_unique<CProgramApp>()) {
    prompts.install(*app);
    app->InitInstance(file);
}

Run::~Run() { app.reset(); }

CMSFlexGrid& Run::grid() const { return *app->GetView()->Grid(); }

QComboBox& Run::combo(varnok::Setting setting) const { return *app->GetView()->Combo(setting); }

varnok::FormState Run::form() const { return app->Workspace().form(); }

Bytes Run::image() const { return app->GetDocument()->Image().bytes(); }

QStringList Run::recentFiles() const {
    QStringList files;
    for (const std::string& file : app->Workspace().recentFiles())
        files << QString::fromStdString(file);
    return files;
}

void isolateSettings(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

void clearSettings() {
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Varnok写频软件"));
    settings.clear();
    settings.sync();
}

bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void chooseByKeyboard(QComboBox& box, int index) {
    box.setFocus();
    if (box.currentIndex() < 0)
        QTest::keyClick(&box, Qt::Key_Home);
    for (int step = 0; step < box.count() && box.currentIndex() < index; ++step)
        QTest::keyClick(&box, Qt::Key_Down);
    for (int step = 0; step < box.count() && box.currentIndex() > index; ++step)
        QTest::keyClick(&box, Qt::Key_Up);
}

} // namespace apptest
