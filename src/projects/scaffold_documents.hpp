#pragma once

#include <string>
#include <vector>

namespace tq {

// The documents written into a new project. The name is inserted exactly as given.
std::string progressDocument();
std::string claudeDocument(const std::string& projectName);
std::string agentsDocument(const std::string& projectName);
std::string bootstrapDocument(const std::string& projectName);

struct ScaffoldDocument {
    std::string relativePath; // inside the project folder
    std::string content;
};

// All five, in the order they are written.
std::vector<ScaffoldDocument> scaffoldDocuments(const std::string& projectName);

} // namespace tq
