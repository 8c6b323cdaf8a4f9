// artgen OUTDIR: draws the program's icons and status pictures into OUTDIR
// (src/res), as icons/*.ico and bitmaps/*.bmp for each DPI drawn for, and
// larger_art.rc, which names the larger ones for app.rc. The output is committed; run it
// again after changing a drawing.
#include <cstdio>

#include "art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTDIR\n");
        return 2;
    }
    if (!artgen::WriteArt(argv[1])) {
        std::fprintf(stderr, "artgen: could not write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
