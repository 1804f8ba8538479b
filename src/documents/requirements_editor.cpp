#include "documents/requirements_editor.hpp"

#include "projects/project_manager.hpp"

#include <glibmm/main.h>

#include <vector>

namespace tq {

namespace {

std::optional<Project> projectWithId(const ProjectManager& projectManager, const std::string& id)
{
    for (const Project& project : projectManager.projects()) {
        if (project.id() == id)
            return project;
    }
    return std::nullopt;
}

// A deferred save whose editor is gone. A project no longer listed gets nothing, and a file
// that changed since the edit began keeps its text: nobody is left to choose between the two.
void saveUnattended(ProjectManager& projectManager, const std::string& id, const std::string& text,
                    const std::string& knownDiskText)
{
    const auto project = projectWithId(projectManager, id);
    if (!project || projectManager.readRequirementsFromDisk(*project) != knownDiskText)
        return;
    // Nobody is left to tell about a failure.
    (void)projectManager.saveRequirements(*project, text);
}

} // namespace

RequirementsEditor::RequirementsEditor(ProjectManager& projectManager, std::string projectId)
    : projectManager_(projectManager)
    , projectId_(std::move(projectId))
    , self_(std::make_shared<RequirementsEditor*>(this))
{
    projectManager_.projectsChanged().connect(sigc::mem_fun(*this, &RequirementsEditor::onProjectsChanged));
}

RequirementsEditor::~RequirementsEditor()
{
    // Pending saves keep running, unattended.
    *self_ = nullptr;
}

void RequirementsEditor::setProjectId(std::string id)
{
    if (id == projectId_)
        return;
    const std::string previous = std::exchange(projectId_, std::move(id));
    if (isEditing_)
        setEditing(false);
    dropIfIdle(previous);
    changed_.emit();
}

std::string RequirementsEditor::displayedText() const
{
    if (const Document* document = findDocument(projectId_); document && document->saveError && document->unsavedText)
        return *document->unsavedText;
    const auto project = findProject(projectId_);
    return project ? project->requirements : std::string();
}

void RequirementsEditor::beginEditing()
{
    if (isEditing_)
        return;
    const auto project = findProject(projectId_);
    if (!project)
        return;
    const Document& document = documentFor(projectId_);
    editText_ = document.unsavedText.value_or(project->requirements);
    setEditing(true);
}

void RequirementsEditor::finishEditing()
{
    if (!isEditing_)
        return;
    setEditing(false);
    dropIfIdle(projectId_);
}

void RequirementsEditor::setEditText(std::string text)
{
    if (!isEditing_ || text == editText_)
        return;
    editText_ = std::move(text);
    Document& document = documentFor(projectId_);
    document.unsavedText = editText_;
    if (!document.conflictingDiskText)
        scheduleSave(projectId_, document);
}

bool RequirementsEditor::hasConflict() const
{
    const Document* document = findDocument(projectId_);
    return document && document->conflictingDiskText;
}

std::optional<Error> RequirementsEditor::saveError() const
{
    const Document* document = findDocument(projectId_);
    return document ? document->saveError : std::nullopt;
}

void RequirementsEditor::reload()
{
    const auto project = findProject(projectId_);
    if (!project)
        return;
    const std::string diskText = projectManager_.readRequirementsFromDisk(*project);
    const bool replaced = takeDiskText(projectId_, documentFor(projectId_), diskText);
    dropIfIdle(projectId_);
    if (replaced)
        editTextReplaced_.emit();
    if (project->requirements != diskText) {
        // The store has not seen this text yet; read mode shows the store's record.
        const auto self = self_;
        projectManager_.loadProjects();
        if (!*self)
            return;
    }
    changed_.emit();
}

void RequirementsEditor::keepMine()
{
    Document* document = findDocument(projectId_);
    const auto project = findProject(projectId_);
    if (!document || !document->unsavedText || !project)
        return;
    document->saveTimer.disconnect();
    document->conflictingDiskText.reset();
    const std::string text = *document->unsavedText;
    write(projectId_, *project, text);
}

bool RequirementsEditor::hasPendingSave(const std::string& projectId) const
{
    const Document* document = findDocument(projectId);
    return document && document->saveTimer.connected();
}

void RequirementsEditor::savePendingNow()
{
    std::vector<std::string> pending;
    for (const auto& [id, document] : documents_) {
        if (document.saveTimer.connected())
            pending.push_back(id);
    }
    const auto self = self_;
    for (const std::string& id : pending) {
        if (Document* document = findDocument(id); document && document->saveTimer.connected()) {
            document->saveTimer.disconnect();
            runDeferredSave(id);
            if (!*self)
                return;
        }
    }
}

std::optional<Project> RequirementsEditor::findProject(const std::string& id) const
{
    return projectWithId(projectManager_, id);
}

RequirementsEditor::Document* RequirementsEditor::findDocument(const std::string& id)
{
    const auto it = documents_.find(id);
    return it == documents_.end() ? nullptr : &it->second;
}

const RequirementsEditor::Document* RequirementsEditor::findDocument(const std::string& id) const
{
    const auto it = documents_.find(id);
    return it == documents_.end() ? nullptr : &it->second;
}

RequirementsEditor::Document& RequirementsEditor::documentFor(const std::string& id)
{
    if (Document* document = findDocument(id))
        return *document;
    Document& document = documents_[id];
    if (const auto project = findProject(id))
        document.knownDiskText = project->requirements;
    return document;
}

void RequirementsEditor::scheduleSave(const std::string& id, Document& document)
{
    document.saveTimer.disconnect();
    std::weak_ptr<RequirementsEditor*> editor = self_;
    auto save = [editor, &projectManager = projectManager_, id, text = *document.unsavedText,
                 known = document.knownDiskText] {
        const auto self = editor.lock();
        if (self && *self)
            (*self)->runDeferredSave(id);
        else
            saveUnattended(projectManager, id, text, known);
        return false;
    };
    // Tied to the store: a save never runs after the ProjectManager is gone.
    document.saveTimer = Glib::signal_timeout().connect(sigc::track_object(save, projectManager_),
                                                        static_cast<unsigned>(saveDelay.count()));
}

void RequirementsEditor::runDeferredSave(std::string id)
{
    Document* document = findDocument(id);
    if (!document)
        return;
    // This timer is the one running: forget it without disconnecting it.
    document->saveTimer = sigc::connection();
    const auto project = findProject(id);
    if (!project || !document->unsavedText) {
        // A project that is no longer listed gets nothing written: its folder may be in the
        // Trash or renamed, and a write must not bring it back.
        document->unsavedText.reset();
        dropIfIdle(id);
        changed_.emit();
        return;
    }
    const std::string text = *document->unsavedText;
    const std::string diskText = projectManager_.readRequirementsFromDisk(*project);
    if (diskText != document->knownDiskText) {
        bool replaced = false;
        if (text == document->knownDiskText)
            replaced = takeDiskText(id, *document, diskText); // nothing of the user's to lose
        else
            document->conflictingDiskText = diskText;
        dropIfIdle(id);
        if (replaced)
            editTextReplaced_.emit();
        changed_.emit();
        return;
    }
    write(id, *project, text);
}

bool RequirementsEditor::write(const std::string& id, const Project& project, const std::string& text)
{
    std::string previous = documentFor(id).knownDiskText;
    // Set first: the store announces the write before saveRequirements returns, and that
    // announcement must not look like someone else's change.
    documentFor(id).knownDiskText = text;
    const auto self = self_;
    const MaybeError error = projectManager_.saveRequirements(project, text);
    if (!*self)
        return false;
    Document& document = documentFor(id);
    if (error) {
        document.knownDiskText = std::move(previous);
        document.saveError = error;
    } else {
        document.saveError.reset();
        if (document.unsavedText == text)
            document.unsavedText.reset();
    }
    dropIfIdle(id);
    changed_.emit();
    return true;
}

bool RequirementsEditor::takeDiskText(const std::string& id, Document& document, const std::string& diskText)
{
    document.saveTimer.disconnect();
    document.knownDiskText = diskText;
    document.unsavedText.reset();
    document.conflictingDiskText.reset();
    document.saveError.reset();
    if (id != projectId_ || !isEditing_ || editText_ == diskText)
        return false;
    editText_ = diskText;
    return true;
}

void RequirementsEditor::dropIfIdle(const std::string& id)
{
    const auto it = documents_.find(id);
    if (it == documents_.end() || (id == projectId_ && isEditing_))
        return;
    const Document& document = it->second;
    if (document.saveTimer.connected() || document.conflictingDiskText || document.saveError)
        return;
    documents_.erase(it);
}

void RequirementsEditor::onProjectsChanged()
{
    bool replaced = false;
    for (auto& [id, document] : documents_) {
        const auto project = findProject(id);
        if (!project || project->requirements == document.knownDiskText)
            continue;
        // Someone else changed the file.
        const std::string& diskText = project->requirements;
        if (document.conflictingDiskText)
            document.conflictingDiskText = diskText;
        else if (!document.unsavedText || *document.unsavedText == document.knownDiskText)
            replaced = takeDiskText(id, document, diskText) || replaced;
        else {
            document.saveTimer.disconnect();
            document.saveError.reset();
            document.conflictingDiskText = diskText;
        }
    }
    for (auto it = documents_.begin(); it != documents_.end();) {
        const std::string id = (it++)->first;
        dropIfIdle(id);
    }
    if (replaced)
        editTextReplaced_.emit();
    changed_.emit();
}

void RequirementsEditor::setEditing(bool editing)
{
    isEditing_ = editing;
    isEditingChanged_.emit();
}

} // namespace tq
