// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PluginMessageLoop.h"

#include "framework/x11/PluginX11.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include <poll.h>

namespace juce
{
    // The framework's Linux message pump (juce_linux_Messaging.cpp): runs the
    // callbacks of every ready descriptor once; false when none was ready.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    class BackgroundDispatcher;

    struct LoopState
    {
        std::mutex lifecycleLock;   // guards references and dispatcher
        int references = 0;
        std::atomic<int> liveReferences { 0 };
        std::unique_ptr<BackgroundDispatcher> dispatcher;

        juce::CriticalSection baton;
        std::atomic<int> attachedEditors { 0 };
        std::atomic<juce::uint32> lastHostDispatch { 0 };

        // Reached with a dispatcher still running only when the host ends
        // the process with instances alive, perhaps from a thread that holds
        // the baton the dispatcher waits for: joining could wait for ever,
        // so it waits a moment only.
        ~LoopState();
    };

    LoopState state;

    /** Dispatches the framework's messages whenever the host does not. It
        sleeps in poll() on the framework's descriptors without the baton,
        so host calls never wait for it longer than one dispatch. */
    class BackgroundDispatcher : public juce::Thread
    {
    public:
        BackgroundDispatcher() : juce::Thread ("Zephyrine message dispatch") {}

        void run() override
        {
            while (! threadShouldExit())
            {
                if (PluginMessageLoop::isHostDriving())
                {
                    wait (10);
                    continue;
                }

                waitForEvents (10);

                if (threadShouldExit())
                    break;

                const PluginMessageLoop::ScopedBaton baton;

                if (! PluginMessageLoop::isHostDriving())
                {
                    juce::dispatchNextMessageOnSystemQueue (true);

                    // Events some other call read in wait in Xlib's queue,
                    // not on the descriptor polled above.
                    PluginX11::deliverQueuedEvents();
                }
            }
        }

    private:
        std::vector<pollfd> descriptors;

        void waitForEvents (int timeoutMs)
        {
            descriptors.clear();

            for (auto fd : juce::LinuxEventLoopInternal::getRegisteredFds())
                descriptors.push_back ({ fd, POLLIN, 0 });

            if (descriptors.empty())
                wait (timeoutMs);
            else
                ::poll (descriptors.data(), (nfds_t) descriptors.size(), timeoutMs);
        }
    };

    LoopState::~LoopState()
    {
        if (dispatcher == nullptr)
            return;

        // A clean end when the thread can finish; left behind when it waits
        // for the baton held by the exiting thread itself.
        dispatcher->signalThreadShouldExit();
        dispatcher->notify();

        if (dispatcher->waitForThreadToExit (500))
            dispatcher.reset();
        else
            (void) dispatcher.release();
    }
}

//==============================================================================
PluginMessageLoop::Reference::Reference()
{
    const std::lock_guard<std::mutex> lock (state.lifecycleLock);

    // The baton is never taken under the lifecycle lock: a new instance takes
    // this lock while it holds the baton. On the transitions from and to no
    // references nobody else holds or wants the baton anyway.
    if (state.references++ == 0)
    {
        juce::initialiseJuce_GUI();
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        PluginX11::installErrorHandler();

        state.dispatcher = std::make_unique<BackgroundDispatcher>();
        state.dispatcher->startThread();
    }

    state.liveReferences = state.references;
}

PluginMessageLoop::Reference::~Reference()
{
    const std::lock_guard<std::mutex> lock (state.lifecycleLock);

    if (--state.references == 0)
    {
        // Stop the dispatcher first: it takes the baton, so it must be gone
        // before the framework it dispatches for.
        state.dispatcher->signalThreadShouldExit();
        state.dispatcher->notify();
        state.dispatcher->stopThread (10000);
        state.dispatcher.reset();

        if (auto* mm = juce::MessageManager::getInstanceWithoutCreating())
            mm->setCurrentThreadAsMessageThread();

        PluginX11::removeErrorHandler();
        juce::shutdownJuce_GUI();
        state.attachedEditors = 0;
    }

    state.liveReferences = state.references;
}

//==============================================================================
PluginMessageLoop::ScopedBaton::ScopedBaton()
{
    state.baton.enter();

    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating())
        mm->setCurrentThreadAsMessageThread();
}

PluginMessageLoop::ScopedBaton::~ScopedBaton()
{
    state.baton.exit();
}

//==============================================================================
void PluginMessageLoop::dispatchForHost()
{
    const ScopedBaton baton;
    state.lastHostDispatch = juce::Time::getMillisecondCounter();

    juce::Timer::callPendingTimersSynchronously();

    // Bounded, so that a steady stream of messages cannot keep the host's
    // GUI thread here for ever. Events already read into Xlib's queue leave
    // nothing on the descriptor, so the queue is looked at as well.
    for (int round = 0; round < 64; ++round)
    {
        const bool dispatched = juce::dispatchNextMessageOnSystemQueue (true);

        if (! PluginX11::deliverQueuedEvents() && ! dispatched)
            break;
    }

    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->performAnyPendingRepaintsNow();

    // Painting talks to the server, which may read more events in.
    PluginX11::deliverQueuedEvents();
}

void PluginMessageLoop::editorAttached()
{
    state.lastHostDispatch = juce::Time::getMillisecondCounter();   // the host's grace period starts now
    ++state.attachedEditors;
}

void PluginMessageLoop::editorDetached()
{
    if (state.attachedEditors > 0)
        --state.attachedEditors;
}

bool PluginMessageLoop::isHostDriving() noexcept
{
    if (state.attachedEditors.load() <= 0)
        return false;

    const auto sinceHost = juce::Time::getMillisecondCounter() - state.lastHostDispatch.load();
    return sinceHost < hostStallMs;
}

int PluginMessageLoop::getNumReferences() noexcept
{
    return state.liveReferences.load();
}
