#pragma once
// What a click on the envelope graph and an item dropped on it set off: the IR
// file actions (the file dialog, and loading a dropped file). The graph only
// decides that a gesture counts; whoever implements this does the work.
// Both calls come on the window's thread.

class EnvelopeGraphActions {
public:
    virtual ~EnvelopeGraphActions() = default;

    // A press with the left button on a graph that has an effect.
    virtual void envelopeGraphClicked() = 0;

    // The first item of a drop on a graph that has an effect: dropped text as
    // it came (isFileName false), or the first dropped file's name (true).
    // Shortcut resolution and the check of the file's ending are the
    // implementer's.
    virtual void envelopeGraphDropped(const char* item, bool isFileName) = 0;
};
