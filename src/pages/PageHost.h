#pragma once

class Configuration;
class Interaction;
class PrinterTestEnvironment;
class QUndoStack;

// What a configuration page needs from the window that holds it: the one
// record being edited, the seam for everything modal, the printer
// diagnostics, the Undo history, and the operations every page shares.
class PageHost {
  public:
    virtual ~PageHost() = default;

    virtual Configuration& configuration() = 0;
    virtual Interaction& interaction() = 0;
    virtual PrinterTestEnvironment& diagnostics() = 0;

    // Check, then save and report; true when the window may close.
    virtual bool apply() = 0;
    // "Exit": true when the user agrees to lose the changes.
    virtual bool confirmClose() = 0;
    // A page became current: the configuration may change, so the check
    // before saving has to run again.
    virtual void checkMustRunAgain() = 0;
    // The one Undo history of the configuration, shared by every page.
    virtual QUndoStack& undoStack() = 0;
    // An undo or a redo changed the configuration under the pages: the page
    // shown shows it again.
    virtual void configurationRestored() = 0;
};
