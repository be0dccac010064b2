#pragma once
// What the advert for the companion program Kalvano consists of: the texts
// with their positions, the picture, its colour, the chord cadence played
// after a failed start and the closing message. Drawing and playing are the
// window's business; this is only the content.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvik {

// One advert text with the top-left corner (pixels, grid client coordinates)
// where it is drawn.
struct AdvertText {
    int x;
    int y;
    std::string_view text;
};

// The eleven texts in drawing order: the chord table (its columns line up
// in a monospaced font), then the lines about Kalvano. UTF-8.
const std::array<AdvertText, 11>& AdvertTexts();

// A monochrome picture as text: 78 lines of blanks and '+', separated by
// CR LF, no line end after the last. Each '+' is one pixel; the character at
// position p (counted from 1) of line y is the pixel (p, y).
extern const std::string_view AdvertPicture;

// The picture's colour as a colour number: red in the low byte (162),
// then green (2), then blue (106).
constexpr uint32_t AdvertColour = 6947490;

// One tone of the cadence: its length in 10 ms units and the partials f1 to
// f8 in hertz; a zero partial ends the chord.
struct CadenceChord {
    uint32_t duration;
    std::array<double, 8> partials;
};

// The four chords of the advert's table played as six tones, 7 s in all.
const std::array<CadenceChord, 6>& Cadence();

// Shown after the cadence.
extern const std::string_view CompanionMessage;

// The picture split into its 78 lines at each CR LF (views into AdvertPicture).
std::vector<std::string_view> PictureLines();

}  // namespace orvik
