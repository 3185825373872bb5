#pragma once
// The world table as the browser and scripts see it: an HTML page in the game's colours
// and the same rows as JSON. Every stored text is escaped on the way out.

#include <string>
#include <vector>

#include "server/ScoreStore.h"

// & < > " ' as character references.
std::string HtmlEscaped(const std::string& Text);
// The inside of a JSON string: quote, backslash and control characters escaped, and
// < > & as \u escapes so the text is also safe inside a page. Bytes of 0x80 and above
// that are not valid UTF-8 become U+FFFD.
std::string JsonEscaped(const std::string& Text);
// "YYYY-MM-DD" in UTC.
std::string ScoreDate(int64_t Time);

std::string ScoreTablePage(const std::vector<TScoreRow>& Rows);
// [{"place":1,"name":"...","country":"...","score":123,"date":"YYYY-MM-DD"}, ...]
std::string ScoreTableJson(const std::vector<TScoreRow>& Rows);
