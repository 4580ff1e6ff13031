// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProcessorRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

// This binary replaces the global allocation functions, operator new and
// delete and (since the framework's buffers allocate with malloc) the C
// allocator too, so that it can count what the block call allocates. Only
// the thread that set the flag counts.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);
    void __libc_free (void*);
}

namespace
{
    thread_local bool counting = false;
    std::atomic<long> allocations { 0 };

    void count() noexcept
    {
        if (counting)
            allocations.fetch_add (1, std::memory_order_relaxed);
    }

    void* allocate (std::size_t size, std::size_t alignment = 0)
    {
        count();
        void* p = alignment > alignof (std::max_align_t) ? __libc_memalign (alignment, size == 0 ? 1 : size)
                                                         : __libc_malloc (size == 0 ? 1 : size);
        if (p == nullptr)
            throw std::bad_alloc();
        return p;
    }
}

extern "C"
{
    void* malloc (std::size_t n)
    {
        count();
        return __libc_malloc (n);
    }
    void* calloc (std::size_t n, std::size_t size)
    {
        count();
        return __libc_calloc (n, size);
    }
    void* realloc (void* p, std::size_t n)
    {
        count();
        return __libc_realloc (p, n);
    }
    void* memalign (std::size_t a, std::size_t n)
    {
        count();
        return __libc_memalign (a, n);
    }
    void* aligned_alloc (std::size_t a, std::size_t n)
    {
        count();
        return __libc_memalign (a, n);
    }
    int posix_memalign (void** p, std::size_t a, std::size_t n)
    {
        count();
        *p = __libc_memalign (a, n);
        return *p != nullptr ? 0 : 12;   // ENOMEM
    }
    void free (void* p) { __libc_free (p); }
}

void* operator new (std::size_t n) { return allocate (n); }
void* operator new[] (std::size_t n) { return allocate (n); }
void* operator new (std::size_t n, std::align_val_t a) { return allocate (n, (std::size_t) a); }
void* operator new[] (std::size_t n, std::align_val_t a) { return allocate (n, (std::size_t) a); }
void* operator new (std::size_t n, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate (n);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[] (std::size_t n, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate (n);
    }
    catch (...)
    {
        return nullptr;
    }
}
void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }

TEST (RealTime, BlockCallAllocatesNothing)
{
    ProcessorRig rig (44100.0, 512);
    std::mt19937 random (5);
    const int sizes[] = { 512, 64, 1, 17, 0, 300, 512, 128, 16 };

    // Every size once to settle the scratch buffer and the MIDI storage.
    juce::AudioBuffer<float> output (2, 512);
    rig.midi.ensureSize (4096);
    for (int size : sizes)
    {
        output.setSize (2, size, false, false, true);
        rig.processInto (output, { noteOn (0, 60) }, false);
    }

    long counted = 0;
    for (int n = 0; n < 6000; ++n)
    {
        const int size = sizes[(size_t) n % std::size (sizes)];
        output.setSize (2, size, false, false, true);

        // Mixed MIDI, written into the buffer before the measured span.
        rig.midi.clear();
        for (int k = (int) (random() % 12); --k >= 0;)
        {
            const int at = size > 0 ? (int) (random() % (unsigned) size) : 0;
            const juce::uint8 kinds[][3] = { { 0x90, 30, 100 }, { 0x80, 30, 0 }, { 0x90, 30, 0 }, { 0xb0, 123, 0 }, { 0xe0, 0, 64 }, { 0xb0, 64, 127 }, { 0xc0, 3, 0 } };
            juce::uint8 bytes[3];
            std::memcpy (bytes, kinds[random() % std::size (kinds)], 3);
            bytes[0] = (juce::uint8) (bytes[0] | (random() % 16));
            if (bytes[0] < 0xb0)
                bytes[1] = (juce::uint8) (24 + random() % 80);
            if (bytes[0] >= 0xe0)
                bytes[1] = (juce::uint8) (random() % 128);
            rig.midi.addEvent (bytes, (bytes[0] & 0xf0) == 0xc0 ? 2 : 3, at);
        }
        if (n % 500 == 0)
            rig.filter->setParameterValue (ParameterBlock::crush, (float) (n / 500 % 2));

        const juce::ScopedLock sl (rig.filter->callbackLock);
        const long before = allocations.load();
        counting = true;
        rig.filter->process (rig.input, output, n % 3 == 0, rig.midi);
        counting = false;
        counted += allocations.load() - before;
    }

    EXPECT_EQ (counted, 0);

    // The counter does count: an allocation in the span would show, by
    // operator new or by the framework's malloc.
    counting = true;
    auto* probe = new int (3);
    juce::HeapBlock<float> block (64);
    counting = false;
    delete probe;
    EXPECT_EQ (allocations.load(), 2);
}
