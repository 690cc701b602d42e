// The strict check a part passes before the engine writes it. XMLTree is a forgiving
// scanner: it reads what real producers write, and lets through what a conforming reader
// (expat, a word processor's loader) refuses. What the engine writes must be taken by
// every reader, so a part bound for a file is parsed by XMLTree and then checked here for
// the rest of XML 1.0 and Namespaces in XML 1.0 as a package needs them:
//
//   - every byte sequence UTF-8, every character a Char of XML 1.0 (§2.2);
//   - references only to the five predefined entities or to allowed characters (§4.1);
//   - attributes as name = quoted value, no "<" in a value, no name twice (§3.1);
//   - names well-formed, end tags holding only their name (§2.3, §3.1);
//   - outside the root element only white space, comments and processing instructions,
//     the XML declaration only at the very start, no "--" inside a comment, no "]]>" in
//     character data (§2.5, §2.8, §2.4);
//   - every element and attribute prefix bound by a declaration in scope, "xml" apart, and
//     no prefix declared empty (Namespaces §5, §3).
//
// A document type declaration is let through without reading its internal subset: parts
// of a package have none.
#pragma once

#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::XMLCheck {

// Whether every prefix must be declared in scope. A piece of a part cut out of it (a
// clipboard fragment, whose paragraphs use the main namespace's prefix of the part they
// came from) may leave its prefixes to the part it goes into.
enum class Prefixes { mustBeBound, mayBeUnbound };

// Throws XMLError for the first fault found, with its byte offset and what was there.
void wellFormed(const XMLTree& tree, Prefixes prefixes = Prefixes::mustBeBound);

// Parses and checks; throws XMLError.
void wellFormed(SharedBytes bytes);

}  // namespace rovuvuz::XMLCheck
