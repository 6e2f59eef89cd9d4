#pragma once

#include <QIcon>

// The pictures of the main window's actions (MainImageList): 16 x 16 drawings of our own, each
// with a 32 x 32 variant for high-density screens. Numbers:
//  0 add page          6 skins              12 exit               18 page pictures
//  1 general settings  7 export             13 run a command      19 wish mail
//  2 page              8 clear              14 change image       20 web site
//  3 about             9 command parameters 15 rename             21 bug-report mail
//  4 help             10 news               16 run history
//  5 service          11 create shortcut    17 delete page
//
// The desktop's icon theme is deliberately not used: freedesktop names cover only half of these
// actions (nothing fits page pictures, the two mails or clear), so a mix would look patched
// together, and it would differ from one desktop to the next and from the Windows build.
constexpr int MainImageCount = 22;

// The picture with the given number; a null icon for a number outside 0 .. MainImageCount - 1.
QIcon MainImage(int index);
