// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <string>

/** A level in dBFS with one decimal, "-inf dBFS" for silence. */
std::string decibels (double level);
