// Where the process looks for programs and libraries named without a folder.
#pragma once

namespace velkor::platform {

// Takes the working folder out of both searches for the rest of the process.
// Velkor runs with the agent's service account, and whoever can write to the
// folder it is started in must not be able to have a "net.exe" or a
// "NexParser.dll" of theirs run with those rights.
//  - Libraries: the program's own folder, then the system folders (so the
//    agent's libraries beside Velkor.exe are still found first).
//  - Programs started by this process (the parser library starts the tools by
//    bare name): the program's own folder, the system folders, then the
//    folders of PATH given in full (its relative entries, such as ".", are
//    dropped from the process's PATH, which the tools inherit).
// Folders given in full are unaffected. Call it first thing, before any
// library is loaded by name. Nothing it does can fail the run: where a system
// lacks a mechanism, the search stays as that system has it.
void KeepWorkingFolderOutOfSearch();

}  // namespace velkor::platform
