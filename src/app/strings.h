// The interface's texts: the menu with its shortcut labels, the string
// table's status-bar prompts and tooltips, and the other fixed texts.
#pragma once

namespace varnok::app::strings {

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
};

/// One menu item: its text, the shortcut label shown after it, and the
/// string table entry whose part before the line break is the status-bar
/// prompt and whose part after it is the tooltip.
struct CommandText {
    int id;
    const char* name;     ///< object name of the action
    const char* menu;     ///< title of the menu it is in
    const char* text;     ///< nullptr for a separator
    const char* shortcut; ///< shortcut label, "" for none
    const char* prompt;   ///< "" for none
};

/// The menu bar's items in order.
inline constexpr CommandText kMenuCommands[] = {
    {ID_FILE_NEW, "ID_FILE_NEW", "文件(&F)", "新建(&N)", "Ctrl+N", "建立新文档\n新建"},
    {ID_FILE_OPEN, "ID_FILE_OPEN", "文件(&F)", "打开(&O)...", "Ctrl+O", "打开一个现有文档\n打开"},
    {ID_FILE_SAVE, "ID_FILE_SAVE", "文件(&F)", "保存(&S)", "Ctrl+S", "保存活动文档\n保存"},
    {ID_FILE_SAVE_AS, "ID_FILE_SAVE_AS", "文件(&F)", "另存为(&A)...", "", "将活动文档以一个新文件名保存\n另存为"},
    {0, nullptr, "文件(&F)", nullptr, "", ""},
    {ID_FILE_PRINT, "ID_FILE_PRINT", "文件(&F)", "打印(&P)...", "Ctrl+P", "打印活动文档\n打印"},
    {ID_FILE_PRINT_PREVIEW, "ID_FILE_PRINT_PREVIEW", "文件(&F)", "打印预览(&V)", "", "显示整页\n打印预览"},
    {ID_FILE_PRINT_SETUP, "ID_FILE_PRINT_SETUP", "文件(&F)", "打印设置(&R)...", "", "改变打印机及打印选项\n打印设置"},
    {0, nullptr, "文件(&F)", nullptr, "", ""},
    {ID_FILE_MRU_FILE1, "ID_FILE_MRU_FILE1", "文件(&F)", "最近文件", "", ""},
    {0, nullptr, "文件(&F)", nullptr, "", ""},
    {ID_APP_EXIT, "ID_APP_EXIT", "文件(&F)", "退出(&X)", "", "退出应用程序；提示保存文档\n退出"},
    {ID_RADIO_READ, "ID_RADIO_READ", "编程", "从对讲机读取数据", "Ctrl+R", "从对讲机读取数据\n读频"},
    {ID_RADIO_WRITE, "ID_RADIO_WRITE", "编程", "向对讲机写入数据", "Ctrl+W", "向对讲机写入数据\n写频"},
    {ID_PORT_COM1, "ID_PORT_COM1", "端口(&C)", "COM1 ", "Ctrl+1", "选择串口1 \nCom1"},
    {ID_PORT_COM2, "ID_PORT_COM2", "端口(&C)", "COM2  ", "Ctrl+2", "选择串口2 \nCom2"},
    {ID_PORT_COM3, "ID_PORT_COM3", "端口(&C)", "COM3  ", "Ctrl+3", "选择串口3 \nCom3"},
    {ID_PORT_COM4, "ID_PORT_COM4", "端口(&C)", "COM4  ", "Ctrl+4", "选择串口4 \nCom4"},
    {ID_VIEW_TOOLBAR, "ID_VIEW_TOOLBAR", "查看(&V)", "工具栏(&T)", "", "显示或隐藏工具栏\n显隐工具栏"},
    {ID_VIEW_STATUS_BAR, "ID_VIEW_STATUS_BAR", "查看(&V)", "状态栏(&S)", "", "显示或隐藏状态栏\n显隐状态栏"},
    {ID_APP_ABOUT, "ID_APP_ABOUT", "帮助(&H)", "关于 ...", "", "显示程序信息，版本号和版权\n关于"},
};

/// Menu titles, left to right.
inline constexpr const char* kMenuTitles[] = {"文件(&F)", "编程", "端口(&C)", "查看(&V)", "帮助(&H)"};

/// Status-bar prompt of the recent-file entries.
inline constexpr const char* kRecentFilePrompt = "打开该文档";

/// The application title: the window's caption, the message boxes' caption
/// and the name the settings are kept under.
inline constexpr const char* kAppTitle = "Varnok写频软件";
/// The organisation the settings are kept under.
inline constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
/// The status bar's text while no prompt is shown.
inline constexpr const char* kIdle = "就绪";
/// The status bar's lock-key indicators.
inline constexpr const char* kCapsLock = "大写";
inline constexpr const char* kNumLock = "数字";
inline constexpr const char* kScrollLock = "滚动";

/// The labels of the settings boxes on the form, in kAllSettings order
/// (without the template's layout blanks).
inline constexpr const char* kSettingLabels[] = {
    "机型", "频率",     "发射限时",     "提示音",   "静噪电平",     "监听",
    "扫描", "报号选择", "紧急呼叫开关", "省电开关", "拒绝紧急报警",
};

/// The title of the channel grid on the form.
inline constexpr const char* kChannelsTitle = "信道设置";

/// The words a screen reader hears for a grid cell besides the column's name
/// and the value (see cellPhrase in app/spoken.h).
inline constexpr const char* kSpokenChannel = "channel";
inline constexpr const char* kSpokenEmptyCell = "empty";
/// The key that takes the keyboard to the menu bar, for menus whose titles
/// have no mnemonic.
inline constexpr const char* kMenuBarKey = "F10";

/// Name of a document that was never saved.
inline constexpr const char* kNewFileName = "Write Data";
/// File chooser filter and extension of channel data files.
inline constexpr const char* kFileFilter = "Channel Data (*.sin)";
inline constexpr const char* kFileSuffix = "sin";

/// The About box.
inline constexpr const char* kAboutCaption = "关于";
inline constexpr const char* kAboutVersion = "版本1.0.1";
inline constexpr const char* kAboutOk = "确定";
inline constexpr const char* kAboutFont = "宋体";

/// The About box's two-line label.
inline constexpr const char* kAboutDescription = "QX-100/200/300 对讲机写频\n版权所有 (C) Varnok";

/// Message box buttons.
inline constexpr const char* kButtonOk = "确定";
inline constexpr const char* kButtonCancel = "取消";
inline constexpr const char* kButtonSave = "保存(&S)";
inline constexpr const char* kButtonDiscard = "不保存(&N)";
inline constexpr const char* kButtonYes = "是(&Y)";
inline constexpr const char* kButtonNo = "否(&N)";
inline constexpr const char* kButtonRetry = "重试(&R)";

/// Questions and failures of the document commands; %1 is a file name.
inline constexpr const char* kSaveChangesQuestion = "保存对“%1”的更改吗？";
inline constexpr const char* kOpenFailed = "无法打开文件“%1”。";
inline constexpr const char* kNotAChannelFile = "无法打开文件“%1”：它不是信道数据文件。";
inline constexpr const char* kSaveFailed = "无法保存文件“%1”。";
/// The report could not go to the printer.
inline constexpr const char* kPrintFailed = "无法打印设置报告。";
/// The file menu's item that saves the settings report as PDF.
inline constexpr const char* kExportPdfItem = "导出PDF(&D)...";
inline constexpr const char* kExportPdfPrompt = "将设置报告保存为PDF文件";
/// The print preview's buttons.
inline constexpr const char* kPreviewPrint = "打印(&P)...";
inline constexpr const char* kPreviewClose = "关闭(&C)";
/// Name of the toolbar in the window's context menu.
inline constexpr const char* kToolbarTitle = "工具栏";

/// The progress dialog of a transfer with the radio.
inline constexpr const char* kProgressTemplateCaption = "进度窗口";
inline constexpr const char* kReadCaption = "数据读取进度";
inline constexpr const char* kWriteCaption = "数据写入进度";
inline constexpr const char* kProgressStart = "开始";
inline constexpr const char* kProgressLabel = "进度值:";
inline constexpr const char* kProgressWaiting = "等待中......";
/// The dialog's font, then its usual names on systems without it.
inline constexpr const char* kDialogFonts[] = {"宋体", "SimSun", "NSimSun"};

/// Refusal of the commands that would replace or close the document while
/// a transfer still uses it.
inline constexpr const char* kTransferRunning =
    "正在与对讲机传输数据。请等待传输结束，或在进度窗口中按“取消”停止传输后再试。";

/// The port menu's items below the four COM ports: the ports found on this
/// machine, the built-in demo radio and a port typed by hand.
inline constexpr const char* kFoundPortPrompt = "使用串口 %1";
inline constexpr const char* kDemoPortItem = "演示对讲机";
inline constexpr const char* kDemoPortPrompt = "使用内置的演示对讲机，无需连接电缆即可试用读取和写入";
inline constexpr const char* kOtherPortItem = "其他端口(&O)...";
inline constexpr const char* kOtherPortPrompt = "输入任意串口名称或设备路径";
inline constexpr const char* kOtherPortQuestion = "串口名称或设备路径（例如 COM5 或 /dev/ttyUSB0）:";

/// Verify after a write: the progress window's check box, the caption while
/// the radio is read back, and what the comparison found.
inline constexpr const char* kVerifyCheck = "写入后校验";
inline constexpr const char* kVerifyCaption = "数据校验进度";
inline constexpr const char* kVerifyPassed = "写入后校验完成：对讲机中的数据与写入的数据一致。";
inline constexpr const char* kVerifyDifferent = "写入后校验发现 %1 处不同：";
inline constexpr const char* kVerifyMore = "……另有 %1 处不同";

/// Backups of every complete read.
inline constexpr const char* kBackupFolderItem = "打开备份文件夹(&B)";
inline constexpr const char* kBackupFolderPrompt = "打开保存每次读取数据备份的文件夹\n备份文件夹";
inline constexpr const char* kBackupFailed = "读取已完成，但数据未能备份：%1";
inline constexpr const char* kBackupFolderFailed = "无法打开备份文件夹“%1”。";

/// The clone run: one document written into radio after radio.
inline constexpr const char* kCloneItem = "批量写频(&M)...";
inline constexpr const char* kClonePrompt = "把当前数据依次写入多台对讲机\n批量写频";
inline constexpr const char* kCloneCaption = "批量写频";
inline constexpr const char* kCloneBackupFirst = "写入前读取并备份";
inline constexpr const char* kCloneConnect = "请连接第 %1 台对讲机，然后按“开始”。";
inline constexpr const char* kCloneConnectEnter = "请连接第 %1 台对讲机，然后按 Enter（输入 q 结束）：";
inline constexpr const char* kCloneTally = "已完成 %1 台，失败 %2 台";
inline constexpr const char* kCloneWriteFailed = "第 %1 台对讲机写入失败，批量写频已停止。";
inline constexpr const char* kCloneVerifyFailed = "第 %1 台对讲机校验失败，批量写频已停止。";
inline constexpr const char* kCloneCancelled = "第 %1 台对讲机的写入已取消，批量写频已停止。";
inline constexpr const char* kCloneEnded = "批量写频结束：%1";
inline constexpr const char* kCloneLogFailed = "无法写入批量写频记录“%1”。";

/// Exchanging channels: CSV files, rows through the clipboard, and the
/// comparison with a file.
inline constexpr const char* kCsvFilter = "CSV (*.csv)";
inline constexpr const char* kCsvSuffix = "csv";
inline constexpr const char* kExportCsvItem = "导出CSV(&E)...";
inline constexpr const char* kExportCsvPrompt = "把信道保存为其他写频软件和电子表格可读的CSV文件\n导出CSV";
inline constexpr const char* kImportCsvItem = "导入CSV(&I)...";
inline constexpr const char* kImportCsvPrompt = "从CSV文件导入信道\n导入CSV";
inline constexpr const char* kCompareItem = "与文件比较(&M)...";
inline constexpr const char* kComparePrompt = "列出当前数据与一个信道数据文件的不同之处\n比较";
inline constexpr const char* kExportFailed = "无法导出文件“%1”。";
inline constexpr const char* kImportFrom = "从“%1”导入信道：";
inline constexpr const char* kPasteRows = "粘贴信道：";
inline constexpr const char* kRowsAdded = "添加信道：%1";
inline constexpr const char* kRowsReplaced = "替换信道：%1";
inline constexpr const char* kRowsRefused = "未采用的行：";
inline constexpr const char* kRowsNothing = "没有可用的信道。";
inline constexpr const char* kRowsQuestion = "是否继续？";
inline constexpr const char* kClearQuestion = "清除信道 %1 的数据？";
inline constexpr const char* kCompareSame = "当前数据与“%1”相同。";
inline constexpr const char* kCompareDifferent = "当前数据与“%1”有 %2 处不同（当前 → 文件）：";
inline constexpr const char* kCompareMore = "……另有 %1 处不同";

/// The 编辑 menu, which the faces add after 文件.
inline constexpr const char* kEditMenuTitle = "编辑(&E)";
inline constexpr const char* kUndoItem = "撤销(&U)";
inline constexpr const char* kUndoPrompt = "撤销上一次更改\n撤销";
inline constexpr const char* kRedoItem = "重做(&R)";
inline constexpr const char* kRedoPrompt = "重做上一次撤销的更改\n重做";
inline constexpr const char* kCopyRowsItem = "复制信道(&C)";
inline constexpr const char* kCopyRowsPrompt = "把选中的信道（或当前信道）复制为表格文本\n复制";
inline constexpr const char* kPasteRowsItem = "粘贴信道(&P)";
inline constexpr const char* kPasteRowsPrompt = "从选中的（或当前）信道起粘贴表格文本\n粘贴";
inline constexpr const char* kClearRowsItem = "清除信道(&D)";
inline constexpr const char* kClearRowsPrompt = "清除选中的信道\n清除";

/// Items the faces add to the 编程 menu below the table's, after a
/// separator.
inline constexpr CommandText kRadioExtras[] = {
    {ID_RADIO_CLONE, "ID_RADIO_CLONE", "编程", kCloneItem, "", kClonePrompt},
    {ID_RADIO_BACKUPS, "ID_RADIO_BACKUPS", "编程", kBackupFolderItem, "", kBackupFolderPrompt},
};

/// Items the faces add to the 文件 menu after the report's PDF export.
inline constexpr CommandText kFileExtras[] = {
    {ID_FILE_EXPORT_CSV, "ID_FILE_EXPORT_CSV", "文件(&F)", kExportCsvItem, "", kExportCsvPrompt},
    {ID_FILE_IMPORT_CSV, "ID_FILE_IMPORT_CSV", "文件(&F)", kImportCsvItem, "", kImportCsvPrompt},
    {ID_FILE_COMPARE, "ID_FILE_COMPARE", "文件(&F)", kCompareItem, "", kComparePrompt},
};

/// The 编辑 menu's items; a null text is a separator.
inline constexpr CommandText kEditCommands[] = {
    {ID_EDIT_UNDO, "ID_EDIT_UNDO", kEditMenuTitle, kUndoItem, "Ctrl+Z", kUndoPrompt},
    {ID_EDIT_REDO, "ID_EDIT_REDO", kEditMenuTitle, kRedoItem, "Ctrl+Y", kRedoPrompt},
    {0, nullptr, kEditMenuTitle, nullptr, "", ""},
    {ID_EDIT_COPY, "ID_EDIT_COPY", kEditMenuTitle, kCopyRowsItem, "Ctrl+C", kCopyRowsPrompt},
    {ID_EDIT_PASTE, "ID_EDIT_PASTE", kEditMenuTitle, kPasteRowsItem, "Ctrl+V", kPasteRowsPrompt},
    {ID_EDIT_CLEAR, "ID_EDIT_CLEAR", kEditMenuTitle, kClearRowsItem, "Del", kClearRowsPrompt},
};

} // namespace varnok::app::strings
