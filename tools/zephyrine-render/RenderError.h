// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <stdexcept>
#include <string>

/** A problem with the input or the environment that ends the render. The
    message names the problem for the user; main prints it and exits non-zero. */
class RenderError : public std::runtime_error
{
public:
    explicit RenderError (const std::string& message) : std::runtime_error (message) {}
};

/** A mistake on the command line: reported with a pointer to --help. */
class UsageError : public RenderError
{
public:
    explicit UsageError (const std::string& message) : RenderError (message) {}
};
