// The grammars of the music file, one per version the reader accepts. Each is built on first use
// and lives as long as the program, so every reader shares the same grammar objects.
#pragma once

class TDTDElement;

// Grammar of version "7.0": one bar for the whole document, no part tree, no key or note parts.
const TDTDElement* BuildDTD70();
// Grammar of version "7.1", the version the program writes.
const TDTDElement* BuildDTD71();
