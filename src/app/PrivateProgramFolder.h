#pragma once
// What a program folder kept before its files were made private (files
// copied in, a folder used by an older version) is tightened at start.

// Takes the group's and others' permissions off the program's own folders
// and files in the program folder; logs one line when anything changed.
void TightenProgramFolder();
