#pragma once

#include <QString>

namespace mirel::app {

// Writes the pictures of the query tree (built into the program) beside the configuration of a
// workspace that lacks them; a picture already there (whatever the case of its name) is kept.
// Returns the path that could not be written, or an empty text.
QString writeTreePictures(const QString& workspace);

} // namespace mirel::app
