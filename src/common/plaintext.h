#pragma once

#include <QString>

// Text from outside the program (a server's words, the system's error texts, file names) made fit to
// be shown as plain text in a message.
namespace PlainText {

// Control characters and direction overrides removed: they could redraw or reorder what the user reads.
QString clean(const QString &text);

// clean(), and cut to a length a message box can show, with an ellipsis where it was cut.
QString fromServer(const QString &text);

} // namespace PlainText
