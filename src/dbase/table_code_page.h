#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code page of a dBASE table's text, as the table says it: a .cpg file beside the table
// (one line naming the code page) and the language driver byte of its header. A .cpg can name
// any code page, the byte only the common ones; readers that know the .cpg take it first.
// Code pages are named as platform/code_page.h names them.
namespace vx {

// The language driver byte of a code page; 0 where dBASE has none for it.
std::uint8_t LanguageDriverOf(std::string_view codePage);
// The code page of a language driver byte; empty for 0 and for bytes not known.
std::string CodePageOfLanguageDriver(std::uint8_t driver);

// The code page a .cpg text names ("1251", "ANSI 1251", "CP1251", "88595", "UTF-8", ...);
// empty when it names none the converter knows.
std::string CodePageOfCpg(std::string_view text);
// The .cpg text for a code page, in the short form other programs write ("1251", "88595",
// "UTF-8").
std::string CpgText(std::string_view codePage);

// The code page of the table at `dbfPath`: its .cpg (found whatever the letter case of the
// extension), else its language driver byte; empty when neither names one. A .cpg that names
// a code page not known leaves its text in `unknown`, when given.
std::string ReadTableCodePage(const std::string& dbfPath, std::string* unknown = nullptr);

// Writes the .cpg of the table at `dbfPath` and sets its language driver byte to the code page
// (0 when dBASE has no byte for it; a byte that already means the code page is left as it is).
// False when either cannot be written.
bool WriteTableCodePage(const std::string& dbfPath, std::string_view codePage);

}  // namespace vx
