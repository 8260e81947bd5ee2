#pragma once
// The logo used when the program folder has no readable Logo.bmp: a large blue euro sign.
#include <QImage>

/// The built-in default logo, 297 x 184 pixels, opaque on white. Every call draws the same picture.
QImage DefaultLogo();
/// The picture that stands for "no logo": a blank white 2 x 2 picture.
QImage BlankLogo();
