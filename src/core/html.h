#pragma once

#include <QString>

namespace mirel::core {

// The code-page declaration every page the program writes carries, so that a browser whose
// fallback is not windows-1251 still shows the Cyrillic text.
QString charsetMeta();

// The page with charsetMeta() right after its "<head>" tag (case-blind; attributes allowed).
// A page without "<head>" gets "<head>" and the declaration after its "<html>" tag, or at its
// start. A page that declares a charset already is returned unchanged.
QString withCharset(const QString& page);

} // namespace mirel::core
