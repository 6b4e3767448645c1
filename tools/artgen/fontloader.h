// SPDX-License-Identifier: MIT
// Loads the artwork's fonts from their files, so the pictures never depend on what fontconfig
// would pick instead.
#pragma once

#include <QFont>

namespace artgen {

struct FontFile
{
    const char* path;
    const char* debianPackage;
    QFont::Weight weight;
};

// The ornamented blackletter of the title and the mark.
inline constexpr FontFile titleFont{"/usr/share/fonts/truetype/isabella/Isabella.ttf",
                                    "fonts-isabella", QFont::Normal};
// A plain bold serif for the captions, which must read well at 30 pixels.
inline constexpr FontFile captionFont{"/usr/share/fonts/opentype/urw-base35/P052-Bold.otf",
                                      "fonts-urw-base35", QFont::Bold};

// Registers the font file with the application and returns a font that uses it. Throws
// ArtgenError naming the file and the Debian package that provides it when the file is missing
// or unusable.
QFont loadFont(const FontFile& file);

} // namespace artgen
