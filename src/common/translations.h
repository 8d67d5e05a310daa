#pragma once

#include <QLocale>

// What the program says, in the user's language: its own texts, built into it, and Qt's (the buttons
// and dialogs it draws), from where the system keeps them.
namespace Translations {

// Loads both for the first of `locale`'s languages that has them, in place of what an earlier call
// loaded. Nothing is loaded for a language without a translation: the texts stay as written.
void install(const QLocale &locale);

} // namespace Translations
