#include "PasswordEcho.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace {

// Qt draws a password edit's mask character from the style.
class HashEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '#';
        if (hint == QStyle::SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void ShowAsHashes(QLineEdit* edit) {
    auto* style = new HashEchoStyle;
    // The edit owns its style: a style is not freed with the widget using it.
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}
