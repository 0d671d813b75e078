// Rules kept under HKCU "Software\Tenvale\Hovelle\Rules", one sub-key each
// (any name): read in the order of their names, handed to the hook library,
// written by the Rules window and on a pin's Shift + click.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "LorvekRules.h"

// Every rule key, sorted by name without regard to case. A value that cannot
// be read is present with a type no rule accepts.
std::vector<MoxStoredRule> LoadStoredRules();
// Reads the rules and hands them to the hook library.
void ApplyStoredRules();
// Writes the six values of the key `name` (created when missing).
void WriteRule(const std::wstring& name, const Rule& rule);
void DeleteRule(const std::wstring& name);
// A name that no key in `rules` has and that sorts after the names of the
// form "Rule NNN" among them.
std::wstring NewRuleName(const std::vector<std::wstring>& names);

// The executable file name of a process, or "" when it cannot be asked.
std::wstring ProgramFileName(DWORD processId);
// A pin's request (MOX_RULE_REQUEST): 1 adds the rule "this program opens on
// top" (Program = the file name, AlwaysOnTop = 1) unless it is there, 2
// removes it; the hook library then gets the rules again.
void HandleRuleRequest(WPARAM command, DWORD processId);
