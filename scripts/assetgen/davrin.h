#pragma once

#include <QString>

// Writes the animated DAVRIN title to `path`; returns an error message, empty on success.
QString writeDavrinGif(const QString &path);
