#pragma once

#include "controls/xpcombobox.h"
#include "controls/xplabel.h"

#include <QLabel>

// The text a control shows, whichever kind of control it is.
inline QString shownText(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const XpComboBox *>(widget))
        return combo->text();
    if (const auto *styled = qobject_cast<const XpLabel *>(widget))
        return styled->caption();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return {};
}
