#pragma once

// The picture area on the picture page is a square of this many pixels.
constexpr int kPictureBox = 300;

struct PictureSize
{
    int width = 0;
    int height = 0;

    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// A picture that fits the box keeps its size; a larger one shrinks so that its longer side is
// exactly the box and its shorter side is rounded up. Never enlarged.
PictureSize shownPictureSize(int width, int height);
