// What the window tests share: channel images written byte by byte, a
// scratch folder with the program's settings in it, scripted answers to the
// program's questions, and a program run started as a user would.
#pragma once

#include "image/form.h"
#include "qt/program_app.h"

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>

class CMSFlexGrid;
class QComboBox;

namespace apptest {

using Bytes = std::array<std::uint8_t, 1024>;

/// Sets bytes of image row `row` starting at byte `k`.
void put(Bytes& image, int row, int k, std::initializer_list<std::uint8_t> values);

/// The file a new document saved at once must give, from the byte table of
/// a new document (not from the program's encoder).
Bytes newSavedBytes();

/// A radio as a dealer configured it: channels with frequencies, tones and
/// every flag combination, the radio's own values in uninterpreted bytes.
Bytes configuredBytes();

bool writeImage(const QString& path, const Bytes& image);
/// Writes a fixture file and gives its path; a fixture that cannot be
/// written ends the test run, since nothing after it would mean anything.
QString writeFixture(const QString& path, const Bytes& image);
std::optional<Bytes> readImage(const QString& path);

/// Answers the program's questions from a script and notes what it asked.
class ScriptedPrompts {
public:
    struct Asked {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    /// Routes the program's questions and file choosers here.
    void install(CProgramApp& app);

    /// The next message is answered with `button`; a message without a
    /// scripted answer is answered Cancel (or Ok) and counted as unexpected.
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    void chooseOpen(const QString& path) { m_openNames.push_back(path); }
    void chooseSave(const QString& path) { m_saveNames.push_back(path); }

    const QList<Asked>& asked() const { return m_asked; }
    int unexpected() const { return m_unexpected; }
    QStringList saveSuggestions() const { return m_saveSuggestions; }
    void clear() { m_asked.clear(); }

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<QString> m_openNames;
    std::deque<QString> m_saveNames;
    QList<Asked> m_asked;
    QStringList m_saveSuggestions;
    int m_unexpected = 0;
};

/// A program run: the application object with scripted prompts, started
/// with an optional command-line file.
struct Run {
    std::unique_ptr<CProgramApp> app;
    ScriptedPrompts prompts;

    explicit Run(const QString& file = QString());
    ~Run();

    CMSFlexGrid& grid() const;
    QComboBox& combo(varnok::Setting setting) const;
    /// The form as the window shows it.
    varnok::FormState form() const;
    Bytes image() const;
    QStringList recentFiles() const;
};

/// Points the program's settings at a fresh folder; call once per process,
/// before anything reads them.
void isolateSettings(const QString& folder);
/// Forgets the recent-file list.
void clearSettings();

/// Makes a window the active one, as keyboard shortcuts need.
bool activate(QWidget* window);

/// Picks entry `index` of a settings box the way a user does with the
/// keyboard: focus, then arrow keys.
void chooseByKeyboard(QComboBox& box, int index);

} // namespace apptest
