// SPDX-License-Identifier: MIT
#include "artwork.h"

#include "platform/windows/windowserror.h"
#include "resources.h"

#include <optional>
#include <string>

namespace win32 {

namespace {

// Loads one resource after another until one fails, and keeps that failure.
struct Loader
{
    HINSTANCE instance;
    std::optional<core::Failure> failure;

    // The resource `id` as a handle of the kind that `Owner` owns; a width and height of 0 keep
    // the resource's own size.
    template <typename Owner>
    Owner load(int id, UINT type, int width, int height, UINT flags, const std::string& what)
    {
        if (failure) {
            return Owner();
        }
        HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(id), type, width, height, flags);
        if (image == nullptr) {
            const DWORD error = GetLastError();
            failure = core::Failure{"Could not load " + what, platform::windowsErrorText(error)};
        }
        return Owner(static_cast<typename Owner::pointer>(image));
    }
};

} // namespace

std::variant<Artwork, core::Failure> loadArtwork(HINSTANCE instance)
{
    Loader loader{instance, std::nullopt};
    // As device-independent bitmaps, the pictures keep their colours on a display of any depth.
    Artwork artwork{
        loader.load<OwnedBitmap>(IDB_BACKGROUND, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION,
                                 "the background picture"),
        loader.load<OwnedBitmap>(IDB_BANNER, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION,
                                 "the banner picture"),
        loader.load<OwnedCursor>(IDC_CORVANE_HAND, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE,
                                 "the hand cursor"),
        loader.load<OwnedIcon>(IDI_CORVANE, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                               GetSystemMetrics(SM_CYICON), 0, "the program's icon"),
        loader.load<OwnedIcon>(IDI_CORVANE, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                               GetSystemMetrics(SM_CYSMICON), 0, "the program's small icon"),
    };
    if (loader.failure) {
        return *loader.failure;
    }
    return artwork;
}

} // namespace win32
