// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/DefaultMark.h"

namespace orvane {
namespace {

// Teal is the background; the centre pixel (12, 12) is the point the mark stands for.
const char* const kDefaultMarkXpm[] = {
    "24 24 16 1",
    ". c #008080",
    "k c #000000",
    "r c #FF0000",
    "R c #800000",
    "y c #FFFF00",
    "w c #FFFFFF",
    "g c #008000",
    "G c #00FF00",
    "b c #000080",
    "B c #0000FF",
    "m c #800080",
    "M c #FF00FF",
    "o c #808000",
    "c c #00FFFF",
    "s c #C0C0C0",
    "d c #808080",
    "........................",
    "............k...........",
    "........RRrrkrrRR.......",
    "......RrrrrrkrrrrrR.....",
    ".....RrrrrRRkRRrrrrR....",
    "....RrrrRR..k..RRrrrR...",
    "...RrrrR....k....RrrrR..",
    "...rrrR.....k.....Rrrr..",
    "..RrrR......k......RrrR.",
    "..RrrR.....kkk.....RrrR.",
    "..rrR.....kyyyk.....Rrr.",
    "..rrR....kyyyyyk....Rrr.",
    ".kkkkkkkkkyyyyykkkkkkkkk",
    "..rrR....kyyyyyk....Rrr.",
    "..rrR.....kyyyk.....Rrr.",
    "..RrrR.....kkk.....RrrR.",
    "..RrrR......k......RrrR.",
    "...rrrR.....k.....Rrrr..",
    "...RrrrR....k....RrrrR..",
    "....RrrrRR..k..RRrrrR...",
    ".....RrrrrRRkRRrrrrR....",
    "......RrrrrrkrrrrrR.....",
    "........RRrrkrrRR.......",
    "............k...........",
};

}  // namespace

QImage DefaultMarkPicture() {
  // The XPM reader yields an indexed picture; the canvas wants true colour.
  return QImage(kDefaultMarkXpm).convertToFormat(QImage::Format_RGB32);
}

}  // namespace orvane
