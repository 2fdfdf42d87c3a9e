#pragma once

#include "core/picture/RgbPicture.h"

#include <QImage>

// The picture as a bitmap for the screen.
QImage toImage(const RgbPicture& picture);
