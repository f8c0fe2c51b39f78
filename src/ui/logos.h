#pragma once

#include <QPixmap>
#include <QString>

namespace veld::ui {

// The window's own logo pictures, drawn rather than loaded: "logo-tv" and "logo-lmx" name the
// two profiles' pictures; any other name gives an empty pixmap.
QPixmap Logo(const QString& source);

}  // namespace veld::ui
