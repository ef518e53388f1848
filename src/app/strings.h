// The interface's menus and their command ids, and the fixed texts that are
// the same in every language. The words themselves are in text/texts.def;
// they are named here as strings::kName too.
#pragma once

#include "text/texts.h"

namespace varnok::app::strings {

using namespace varnok::text;

/// Command ids of the menu and toolbar items: the numbers the program has
/// always given them, for both faces and the Windows resource script.
enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_MRU_FILE1 = 57616,
    ID_APP_EXIT = 57665,
    ID_RADIO_READ = 32771,
    ID_RADIO_WRITE = 32772,
    ID_PORT_COM1 = 32773,
    ID_PORT_COM2 = 32775,
    ID_PORT_COM3 = 32776,
    ID_PORT_COM4 = 32777,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_APP_ABOUT = 57664,
    ID_RADIO_CLONE = 32782,
    ID_RADIO_BACKUPS = 32783,
    ID_FILE_EXPORT_CSV = 32784,
    ID_FILE_IMPORT_CSV = 32785,
    ID_FILE_COMPARE = 32786,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_CLEAR = 57632,
    ID_VIEW_LANGUAGE_CHINESE = 32787,
    ID_VIEW_LANGUAGE_ENGLISH = 32788,
};

/// One menu item: its text, the shortcut label shown after it, and the
/// text whose part before the line break is the status-bar prompt and whose
/// part after it is the tooltip.
struct CommandText {
    int id;
    const char* name;     ///< object name of the action
    const Text* menu;     ///< title of the menu it is in
    const Text* text;     ///< nullptr for a separator
    const char* shortcut; ///< shortcut label, "" for none
    const Text* prompt;   ///< nullptr for none
};

/// The menu bar's items in order.
inline constexpr CommandText kMenuCommands[] = {
    {ID_FILE_NEW, "ID_FILE_NEW", &kMenuFile, &kItemNew, "Ctrl+N", &kPromptNew},
    {ID_FILE_OPEN, "ID_FILE_OPEN", &kMenuFile, &kItemOpen, "Ctrl+O", &kPromptOpen},
    {ID_FILE_SAVE, "ID_FILE_SAVE", &kMenuFile, &kItemSave, "Ctrl+S", &kPromptSave},
    {ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", &kMenuFile, &kItemSaveAs, "", &kPromptSaveAs},
    {0, nullptr, &kMenuFile, nullptr, "", nullptr},
    {ID_FILE_PRINT, "ID_FILE_PRINT", &kMenuFile, &kItemPrint, "Ctrl+P", &kPromptPrint},
    {ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", &kMenuFile, &kItemPrintPreview, "", &kPromptPrintPreview},
    {ID_FILE_PRINT_SETUP, "ID_FILE_PRINT_SETUP", &kMenuFile, &kItemPrintSetup, "", &kPromptPrintSetup},
    {0, nullptr, &kMenuFile, nullptr, "", nullptr},
    {ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", &kMenuFile, &kItemRecentFile, "", nullptr},
    {0, nullptr, &kMenuFile, nullptr, "", nullptr},
    {ID_APP_EXIT, "ID_APP_EXIT", &kMenuFile, &kItemExit, "", &kPromptExit},
    {ID_RADIO_READ, "ID_RADIO_READ", &kMenuRadio, &kItemRead, "Ctrl+R", &kPromptRead},
    {ID_RADIO_WRITE, "ID_RADIO_WRITE", &kMenuRadio, &kItemWrite, "Ctrl+W", &kPromptWrite},
    {ID_PORT_COM1, "ID_PORT_COM1", &kMenuPort, &kPortCom1, "Ctrl+1", &kPromptCom1},
    {ID_PORT_COM2, "ID_PORT_COM2", &kMenuPort, &kPortCom2, "Ctrl+2", &kPromptCom2},
    {ID_PORT_COM3, "ID_PORT_COM3", &kMenuPort, &kPortCom3, "Ctrl+3", &kPromptCom3},
    {ID_PORT_COM4, "ID_PORT_COM4", &kMenuPort, &kPortCom4, "Ctrl+4", &kPromptCom4},
    {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", &kMenuView, &kItemToolbar, "", &kPromptToolbar},
    {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", &kMenuView, &kItemStatusBar, "", &kPromptStatusBar},
    {ID_APP_ABOUT, "ID_APP_ABOUT", &kMenuHelp, &kItemAbout, "", &kPromptAbout},
};

/// Menu titles, left to right.
inline constexpr const Text* kMenuTitles[] = {&kMenuFile, &kMenuRadio, &kMenuPort, &kMenuView, &kMenuHelp};

/// The name the settings are kept under, whatever the window's title says.
inline constexpr const char* kSettingsApplication = kAppTitle.zh;
/// The organisation the settings are kept under.
inline constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
/// Where the chosen language is remembered ("zh" or "en").
inline constexpr const char* kLanguageKey = "Settings/Language";

/// The names of the settings boxes on the form, in kAllSettings order.
inline constexpr const Text* kSettingLabels[] = {
    &kLabelModel, &kLabelBand,  &kLabelTimeLimit, &kLabelKeyBeep,   &kLabelSquelch,     &kLabelMonitor,
    &kLabelScan,  &kLabelVoice, &kLabelEmergency, &kLabelPowerSave, &kLabelRejectAlarm,
};

/// The key that takes the keyboard to the menu bar, for menus whose titles
/// have no mnemonic.
inline constexpr const char* kMenuBarKey = "F10";

/// File chooser extension of channel data files.
inline constexpr const char* kFileSuffix = "sin";
inline constexpr const char* kCsvSuffix = "csv";

/// The About box's font.
inline constexpr const char* kAboutFont = "宋体";
/// The dialogs' font, then its usual names on systems without it.
inline constexpr const char* kDialogFonts[] = {"宋体", "SimSun", "NSimSun"};

/// Items the faces add to the 编程 menu below the table's, after a
/// separator.
inline constexpr CommandText kRadioExtras[] = {
    {ID_RADIO_CLONE, "ID_RADIO_CLONE", &kMenuRadio, &kCloneItem, "", &kClonePrompt},
    {ID_RADIO_BACKUPS, "ID_RADIO_BACKUPS", &kMenuRadio, &kBackupFolderItem, "", &kBackupFolderPrompt},
};

/// Items the faces add to the 文件 menu after the report's PDF export.
inline constexpr CommandText kFileExtras[] = {
    {ID_FILE_EXPORT_CSV, "ID_FILE_EXPORT_CSV", &kMenuFile, &kExportCsvItem, "", &kExportCsvPrompt},
    {ID_FILE_IMPORT_CSV, "ID_FILE_IMPORT_CSV", &kMenuFile, &kImportCsvItem, "", &kImportCsvPrompt},
    {ID_FILE_COMPARE, "ID_FILE_COMPARE", &kMenuFile, &kCompareItem, "", &kComparePrompt},
};

/// The 编辑 menu's items; a null text is a separator.
inline constexpr CommandText kEditCommands[] = {
    {ID_EDIT_UNDO, "ID_EDIT_UNDO", &kEditMenuTitle, &kUndoItem, "Ctrl+Z", &kUndoPrompt},
    {ID_EDIT_REDO, "ID_EDIT_REDO", &kEditMenuTitle, &kRedoItem, "Ctrl+Y", &kRedoPrompt},
    {0, nullptr, &kEditMenuTitle, nullptr, "", nullptr},
    {ID_EDIT_COPY, "ID_EDIT_COPY", &kEditMenuTitle, &kCopyRowsItem, "Ctrl+C", &kCopyRowsPrompt},
    {ID_EDIT_PASTE, "ID_EDIT_PASTE", &kEditMenuTitle, &kPasteRowsItem, "Ctrl+V", &kPasteRowsPrompt},
    {ID_EDIT_CLEAR, "ID_EDIT_CLEAR", &kEditMenuTitle, &kClearRowsItem, "Del", &kClearRowsPrompt},
};

/// The 查看 menu's language items, after the table's.
inline constexpr CommandText kLanguageCommands[] = {
    {ID_VIEW_LANGUAGE_CHINESE, "ID_VIEW_LANGUAGE_CHINESE", &kLanguageMenu, &kLanguageChinese, "",
     &kLanguageChinesePrompt},
    {ID_VIEW_LANGUAGE_ENGLISH, "ID_VIEW_LANGUAGE_ENGLISH", &kLanguageMenu, &kLanguageEnglish, "",
     &kLanguageEnglishPrompt},
};

} // namespace varnok::app::strings
