#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "base/FileSystem.h"

enum class TFileDialogKind { Open, Save };

struct TFileEntry {
    std::string Name;
    bool Folder = false;
};

// The panel's file dialogs for location files, as state: the folder shown,
// its listing, the name field, and the rules a chosen name must pass. The
// working directory is never changed; every path here is absolute.
class TFileDialog {
public:
    explicit TFileDialog(TFileDialogKind kind) : Kind(kind) {}

    enum class TOutcome {
        Stay,     // still open: a folder was entered, or Message says what is wrong
        Confirm,  // save: the file does not exist yet, ask before creating it
        Chosen,   // Result holds the file
    };

    TFileDialogKind Kind;
    std::string Filter = "Rustwake Maps|*.map";
    std::string DefaultExt = "map";
    std::filesystem::path InitialDir;

    bool Visible = false;
    std::filesystem::path Folder;
    std::vector<TFileEntry> Entries;  // "..", then folders, then matching files, by name
    std::string FileName;             // the name field
    std::string Message;              // what the last attempt found wrong
    std::filesystem::path Pending;    // the file waiting for the person's confirmation
    std::filesystem::path Result;

    // Shows the dialog in the folder it was last in (the initial one at first).
    void Execute();
    void Cancel() { Visible = false; }
    void Refresh();
    // Opens a folder of the listing, or the parent for "..".
    void Enter(const std::string& name);
    // A click on a listing entry: a file goes into the name field.
    void Pick(const TFileEntry& entry);

    // The name field (relative to the folder shown, or absolute) as the
    // dialog's OK button takes it.
    TOutcome Accept();
    // The answer to the question whether to create the new file.
    TOutcome Confirm(bool create);

    // The rules alone, for a name relative to `base`: the default extension
    // for a name without one, the file (open) or its folder (save) must
    // exist, letters' case is not significant on the way.
    TOutcome Decide(const std::filesystem::path& base, const std::string& name);

    // The filter's pattern: "*.map".
    std::string Pattern() const;
    std::string Title() const;
};

