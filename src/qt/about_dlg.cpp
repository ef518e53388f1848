#include "qt/about_dlg.h"

#include "app/form_template.h"
#include "qt/dialog_units.h"
#include "qt/words.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace strings = varnok::app::strings;
using varnok::app::TemplateControl;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(qtr(strings::kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QString::fromUtf8(strings::kAboutFont));
    font.setPointSize(10);
    setFont(font);
    const DialogUnits units(QFontMetrics(font, this));

    // Object names as the tests find them, in template order.
    const char* names[] = {"icon", "version", "description", "ok"};
    int index = 0;
    for (const TemplateControl& control : varnok::app::kAboutTemplate) {
        const QString name = QString::fromUtf8(names[index++]);
        const QString text = qtr(control.text);
        switch (control.kind) {
        case TemplateControl::Kind::Icon: {
            auto* icon = new QLabel(this);
            icon->setObjectName(name);
            const int iconSize = 32;
            icon->setPixmap(QIcon(QStringLiteral(":/icons/varnok.svg")).pixmap(iconSize, iconSize));
            icon->setGeometry(QRect(QPoint(units.x(control.x), units.y(control.y)), QSize(iconSize, iconSize)));
            break;
        }
        case TemplateControl::Kind::Button: {
            auto* ok = new QPushButton(text, this);
            ok->setObjectName(name);
            ok->setDefault(true);
            ok->setGeometry(units.rect(control.x, control.y, control.width, control.height));
            connect(ok, &QPushButton::clicked, this, &QDialog::accept);
            break;
        }
        default: {
            auto* label = new QLabel(text, this);
            label->setObjectName(name);
            label->setTextFormat(Qt::PlainText);
            label->setGeometry(units.rect(control.x, control.y, control.width, control.height));
            break;
        }
        }
    }
    setFixedSize(units.x(varnok::app::kAboutWidth), units.y(varnok::app::kAboutHeight));
}
