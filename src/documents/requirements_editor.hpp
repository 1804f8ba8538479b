#pragma once

#include "projects/error.hpp"
#include "projects/project.hpp"

#include <sigc++/sigc++.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tq {

class ProjectManager;

// The requirements document of the project a documents panel shows, as the user reads and
// edits it: edit mode, the save 0.5 s after the last keystroke, and what happens when another
// program (a coding agent) changes the file while the user edits it.
//
// Content, not file events, decides what is an outside change: for every project with edits
// in flight the editor remembers the last text known to be on disk (what it loaded or wrote).
// A store record or a file that differs from it was changed by someone else; the editor's own
// saves therefore never come back as outside changes.
//
// Deferred saves belong to the project they were made for and outlive this object: a save
// still pending when the editor is destroyed runs on time without it (skipping the write if
// the file changed meanwhile, as nobody is left to ask). They never outlive the
// ProjectManager. Main thread only.
class RequirementsEditor : public sigc::trackable {
public:
    static constexpr std::chrono::milliseconds saveDelay{500};

    RequirementsEditor(ProjectManager& projectManager, std::string projectId);
    ~RequirementsEditor();
    RequirementsEditor(const RequirementsEditor&) = delete;
    RequirementsEditor& operator=(const RequirementsEditor&) = delete;

    const std::string& projectId() const { return projectId_; }
    // Another id leaves edit mode; saves pending for the previous project still run.
    void setProjectId(std::string id);

    // What read mode shows: the store's record of the project, or, after a failed save, the
    // text that could not be saved.
    std::string displayedText() const;

    bool isEditing() const { return isEditing_; }
    const std::string& editText() const { return editText_; }
    // Edit: starts from the record's text, or from this project's unsaved text if there is one.
    void beginEditing();
    // Done: leaves edit mode; a pending save still runs on time.
    void finishEditing();
    // The user changed the editor's text: (re)starts the deferred save unless paused.
    void setEditText(std::string text);

    // The project's file changed on disk while it had unsaved edits. Autosave is paused until
    // the user chooses one side with reload() or keepMine().
    bool hasConflict() const;
    // The last write of this project's unsaved text failed; the text is kept.
    std::optional<Error> saveError() const;
    // Takes the file's text, dropping the unsaved edits.
    void reload();
    // Writes the unsaved edits over whatever the file holds now (also the retry after a failure).
    void keepMine();

    bool hasPendingSave(const std::string& projectId) const;
    // Runs every pending deferred save now, with the usual checks. For a window about to
    // close: its ProjectManager goes with it, and a save still waiting would be dropped.
    void savePendingNow();

    sigc::signal<void()>& isEditingChanged() { return isEditingChanged_; }
    // editText was replaced by the file's text (not by the user).
    sigc::signal<void()>& editTextReplaced() { return editTextReplaced_; }
    // displayedText, hasConflict or saveError of the bound project may have changed.
    sigc::signal<void()>& changed() { return changed_; }

private:
    // Edits in flight for one project.
    struct Document {
        std::string knownDiskText;              // last text loaded from or written to disk
        std::optional<std::string> unsavedText; // the user's text not yet on disk
        sigc::connection saveTimer;             // the pending deferred save
        std::optional<std::string> conflictingDiskText; // outside text met with unsaved edits
        std::optional<Error> saveError;
    };

    std::optional<Project> findProject(const std::string& id) const;
    Document* findDocument(const std::string& id);
    const Document* findDocument(const std::string& id) const;
    Document& documentFor(const std::string& id);
    void scheduleSave(const std::string& id, Document& document);
    void runDeferredSave(std::string id);
    // Returns false when this editor was destroyed during the write.
    bool write(const std::string& id, const Project& project, const std::string& text);
    // Returns whether the editor's text was replaced (the caller announces it).
    bool takeDiskText(const std::string& id, Document& document, const std::string& diskText);
    void dropIfIdle(const std::string& id);
    void onProjectsChanged();
    void setEditing(bool editing);

    ProjectManager& projectManager_;
    std::string projectId_;
    bool isEditing_ = false;
    std::string editText_;
    std::map<std::string, Document> documents_;
    // Cleared on destruction; pending saves check it to know whether the editor is still there.
    std::shared_ptr<RequirementsEditor*> self_;

    sigc::signal<void()> isEditingChanged_;
    sigc::signal<void()> editTextReplaced_;
    sigc::signal<void()> changed_;
};

} // namespace tq
