#include "projects/scaffold_documents.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace tq {
namespace {

// The documents as they must appear on disk, piece by piece.
std::string expectedProgress()
{
    return
        "# Progress\n\n- [ ] Project created\n";
}

std::string expectedClaude(const std::string& name)
{
    return "# " + name +
        "\n\n## Startup Sequence (MANDATORY — run on EVERY session start)\n\n1. **Check for BOOTSTRAP.md** in the project root.\n   - If it exists → you are in **first-launch mode**. Read BOOTSTRAP.md and follow its instructions. Do NOT skip this.\n   - If it does not exist → continue to step 2.\n2. **Read `.tavoro/requirements.md`** — this is the project specification. Understand every requirement before writing code.\n"
        "3. **Read `.tavoro/progress.md`** — understand current status, what is done and what remains.\n\n## Working Rules\n\n- Follow requirements strictly. If ambiguous, note the ambiguity in progress.md and make a reasonable decision.\n- Keep changes focused and incremental. Commit frequently with clear messages.\n- Use `superpowers:writing-plans` skill to create implementation plans before coding.\n"
        "- Use `superpowers:test-driven-development` skill when implementing features.\n\n## After Each Task (MANDATORY)\n\nUpdate `.tavoro/progress.md` immediately after completing any unit of work:\n- Mark completed items with `[x]`\n- Add new sub-tasks discovered during implementation\n- Note any blockers or decisions made\n\n## File Structure\n\n```\n"
        "BOOTSTRAP.md             <- First-launch bootstrap (deleted after requirements are set)\nCLAUDE.md                <- This file: Claude Code instructions\nAGENTS.md                <- General agent instructions (Codex, etc.)\n.tavoro/\n  requirements.md        <- Project specification\n  progress.md            <- Task tracking\n```";
}

std::string expectedAgents(const std::string& name)
{
    return "# " + name +
        " - Agent Instructions\n\nInstructions for all AI coding agents (Codex, Claude Code, etc.) working on this project.\n\n## Startup Sequence (MANDATORY — run on EVERY session start)\n\n1. **Check for BOOTSTRAP.md** in the project root.\n   - If it exists → you are in **first-launch mode**. Read BOOTSTRAP.md and follow its instructions completely. Do NOT skip this.\n   - If it does not exist → continue to step 2.\n"
        "2. **Read `.tavoro/requirements.md`** — the full project specification.\n3. **Read `.tavoro/progress.md`** — current task status.\n\n## Working Rules\n\n### Pre-work\n- Identify which requirement(s) you are working on\n- Plan before coding: break the task into steps\n\n### During Work\n- Follow requirements precisely\n- Write clean, well-structured code\n- Test changes before marking tasks complete\n\n"
        "### Post-work (MANDATORY)\n- Update `.tavoro/progress.md`:\n  - Mark finished tasks as `[x]`\n  - Add newly discovered sub-tasks\n  - Note blockers or decisions\n- Commit with a clear, descriptive message\n\n## File Structure\n\n```\nBOOTSTRAP.md             <- First-launch bootstrap (deleted after requirements are set)\nCLAUDE.md                <- Claude Code specific instructions\n"
        "AGENTS.md                <- This file: general agent instructions\n.tavoro/\n  requirements.md        <- Project specification\n  progress.md            <- Task tracking\n```";
}

std::string expectedBootstrap(const std::string& name)
{
    return
        "# BOOTSTRAP — First Launch Setup\n\n> **This file exists because the project \"" + name +
        "\" was just created and has no requirements yet.**\n> **You MUST follow the instructions below before doing anything else.**\n\n## What Is Happening\n\nThe user just created this project through Tavoro Quelm. The requirements document (`.tavoro/requirements.md`) is empty. Your job right now is NOT to write code — it is to **discover what the user wants to build** and document it.\n\n## Instructions\n\n"
        "### Step 1: Greet and Explain\n\nTell the user:\n- This is a new project and you need to understand what they want to build.\n- You will ask questions to capture their requirements.\n- Once requirements are clear, you will write them to the requirements document and then begin planning.\n\n### Step 2: Requirements Discovery\n\nUse the brainstorming approach — ask questions **one at a time** to understand:\n\n"
        "1. **What** — What is the user building? What problem does it solve?\n2. **Who** — Who is the target user/audience?\n3. **How** — What is the technical approach? (language, framework, architecture)\n4. **Scope** — What are the must-have features for v1? What is out of scope?\n5. **Constraints** — Any specific requirements? (performance, platform, integrations, design)\n"
        "6. **Success criteria** — How will the user know the project is done?\n\nAsk follow-up questions to go deeper on each area. Do NOT rush. One question per message. Prefer multiple-choice when possible.\n\n### Step 3: Write Requirements\n\nOnce you have a clear picture, write a structured requirements document to `.tavoro/requirements.md` with:\n\n```markdown\n# [Project Name]\n\n## Overview\n[1-2 sentence summary]\n\n"
        "## Goals\n- [Goal 1]\n- [Goal 2]\n\n## Technical Stack\n- Language: ...\n- Framework: ...\n- ...\n\n## Requirements\n### Must Have (v1)\n- [ ] [Requirement 1]\n- [ ] [Requirement 2]\n\n### Nice to Have (v2+)\n- [ ] [Future requirement]\n\n## Out of Scope\n- [Explicitly excluded items]\n\n## Success Criteria\n- [How to know it's done]\n```\n\n### Step 4: Confirm with User\n\n"
        "Show the user the completed requirements and ask: **\"Does this capture everything? Anything to add or change?\"**\n\nIterate until the user confirms.\n\n### Step 5: Clean Up and Transition\n\nOnce requirements are confirmed:\n\n1. **Delete this file** (`BOOTSTRAP.md`) — run: `rm BOOTSTRAP.md`\n2. **Update `.tavoro/progress.md`** — add tasks derived from requirements\n"
        "3. Tell the user: \"Requirements are set. I'm ready to start planning the implementation.\"\n4. Proceed to create an implementation plan using structured planning (break into tasks, identify files, define order).\n\n---\n\n**IMPORTANT: Do NOT delete this file until the user explicitly confirms the requirements are complete.**";
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find('\n', start);
        result.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return result;
        start = end + 1;
    }
}

const std::string names[] = { "demo", "Say \"hi\" to <b>*me*</b>", "Ünïcødé 项目 — ‘quoted’", "a\\n%s{}" };

TEST(ScaffoldDocuments, AreByteExactWithTheNameInsertedUnchanged)
{
    EXPECT_EQ(progressDocument(), expectedProgress());
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(claudeDocument(name), expectedClaude(name));
        EXPECT_EQ(agentsDocument(name), expectedAgents(name));
        EXPECT_EQ(bootstrapDocument(name), expectedBootstrap(name));
    }
}

TEST(ScaffoldDocuments, HaveTheDocumentedShape)
{
    EXPECT_EQ(progressDocument(), "# Progress\n\n- [ ] Project created\n");
    EXPECT_EQ(lines(agentsDocument("demo")).front(), "# demo - Agent Instructions");
    EXPECT_EQ(lines(claudeDocument("demo")).front(), "# demo");

    const std::string quoted = "Say \"hi\"";
    const auto bootstrap = bootstrapDocument(quoted);
    EXPECT_EQ(lines(bootstrap)[0], "# BOOTSTRAP — First Launch Setup");
    EXPECT_EQ(lines(bootstrap)[2], "> **This file exists because the project \"Say \"hi\"\" was just created and has no "
                                   "requirements yet.**");
    // The name's two quotes plus the two around it; the rest of the document holds its own.
    const auto plain = bootstrapDocument("demo");
    EXPECT_EQ(std::count(bootstrap.begin(), bootstrap.end(), '"'), std::count(plain.begin(), plain.end(), '"') + 2);

    for (const auto& text : { claudeDocument("demo"), agentsDocument("demo"), bootstrap }) {
        EXPECT_NE(text.back(), '\n');
        EXPECT_NE(text.rfind("\xef\xbb\xbf", 0), 0u);
        EXPECT_EQ(text.find('\r'), std::string::npos);
    }
}

TEST(ScaffoldDocuments, AreWrittenInOrderWithTheBootstrapLast)
{
    const auto documents = scaffoldDocuments("demo");
    std::vector<std::string> paths;
    for (const auto& document : documents)
        paths.push_back(document.relativePath);
    EXPECT_EQ(paths, std::vector<std::string>({ ".tavoro/requirements.md", ".tavoro/progress.md", "CLAUDE.md",
                                                "AGENTS.md", "BOOTSTRAP.md" }));
    EXPECT_EQ(documents[0].content, "");
    EXPECT_EQ(documents[1].content, expectedProgress());
    EXPECT_EQ(documents[2].content, expectedClaude("demo"));
    EXPECT_EQ(documents[3].content, expectedAgents("demo"));
    EXPECT_EQ(documents[4].content, expectedBootstrap("demo"));
}

} // namespace
} // namespace tq
