// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// Writes zephyrine-render's bash completion script, made from its table of
// options, to the file named as the argument. Run by the build.

#include "RenderOptions.h"

#include <cstdio>
#include <fstream>

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    std::ofstream file (argv[1], std::ios::binary | std::ios::trunc);
    file << bashCompletionScript();
    file.close();
    return file ? 0 : 1;
}
