#include "qt/about_dlg.h"

#include "app/strings.h"
#include "qt/dialog_units.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace strings = varnok::app::strings;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(strings::kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QString::fromUtf8(strings::kAboutFont));
    font.setPointSize(10);
    setFont(font);
    const DialogUnits units(QFontMetrics(font, this));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int iconSize = 32;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/varnok.svg")).pixmap(iconSize, iconSize));
    icon->setGeometry(QRect(QPoint(units.x(132), units.y(12)), QSize(iconSize, iconSize)));

    auto* version = new QLabel(QString::fromUtf8(strings::kAboutVersion), this);
    version->setObjectName(QStringLiteral("version"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(units.rect(14, 15, 105, 8));

    auto* description = new QLabel(QString::fromUtf8(strings::kAboutDescription), this);
    description->setObjectName(QStringLiteral("description"));
    description->setTextFormat(Qt::PlainText);
    description->setGeometry(units.rect(14, 31, 105, 17));

    auto* ok = new QPushButton(QString::fromUtf8(strings::kAboutOk), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    ok->setGeometry(units.rect(122, 37, 39, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(units.x(177), units.y(63));
}
