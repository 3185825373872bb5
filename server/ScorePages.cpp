#include "server/ScorePages.h"

#include <ctime>

namespace {

// Length of the valid UTF-8 sequence at Text[I], or 0.
size_t Utf8Length(const std::string& Text, size_t I) {
  const auto B = static_cast<unsigned char>(Text[I]);
  size_t N;
  uint32_t Min;
  if (B >= 0xC2 && B <= 0xDF) {
    N = 2;
    Min = 0x80;
  } else if (B >= 0xE0 && B <= 0xEF) {
    N = 3;
    Min = 0x800;
  } else if (B >= 0xF0 && B <= 0xF4) {
    N = 4;
    Min = 0x10000;
  } else {
    return 0;
  }
  if (I + N > Text.size()) return 0;
  uint32_t Code = B & (0x7F >> N);
  for (size_t K = 1; K < N; ++K) {
    const auto C = static_cast<unsigned char>(Text[I + K]);
    if ((C & 0xC0) != 0x80) return 0;
    Code = (Code << 6) | (C & 0x3F);
  }
  if (Code < Min || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF)) return 0;
  return N;
}

}  // namespace

std::string HtmlEscaped(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (char C : Text) {
    switch (C) {
      case '&':
        Out += "&amp;";
        break;
      case '<':
        Out += "&lt;";
        break;
      case '>':
        Out += "&gt;";
        break;
      case '"':
        Out += "&quot;";
        break;
      case '\'':
        Out += "&#39;";
        break;
      default:
        Out += C;
    }
  }
  return Out;
}

std::string JsonEscaped(const std::string& Text) {
  static const char kHex[] = "0123456789abcdef";
  std::string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    const auto B = static_cast<unsigned char>(Text[I]);
    if (B >= 0x80) {
      const size_t N = Utf8Length(Text, I);
      if (N == 0) {
        Out += "\\ufffd";
      } else {
        Out.append(Text, I, N);
        I += N - 1;
      }
      continue;
    }
    switch (B) {
      case '"':
        Out += "\\\"";
        break;
      case '\\':
        Out += "\\\\";
        break;
      case '\n':
        Out += "\\n";
        break;
      case '\r':
        Out += "\\r";
        break;
      case '\t':
        Out += "\\t";
        break;
      default:
        if (B < 0x20 || B == 0x7F || B == '<' || B == '>' || B == '&') {
          Out += "\\u00";
          Out += kHex[B >> 4];
          Out += kHex[B & 15];
        } else {
          Out += static_cast<char>(B);
        }
    }
  }
  return Out;
}

std::string ScoreDate(int64_t Time) {
  const std::time_t T = static_cast<std::time_t>(Time);
  std::tm Utc{};
  if (!gmtime_r(&T, &Utc)) return "";
  char Buffer[32];
  std::strftime(Buffer, sizeof Buffer, "%Y-%m-%d", &Utc);
  return Buffer;
}

std::string ScoreTablePage(const std::vector<TScoreRow>& Rows) {
  // Colours of the game's palette: the sky, the interface blue and gold, cream panels and
  // the outline brown.
  std::string Page =
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>Tallow Brackles - World high scores</title>\n"
      "<style>\n"
      "body { margin: 0; min-height: 100vh; font-family: 'Comic Neue', 'DejaVu Sans', sans-serif;"
      " color: #2a1c14;"
      " background: linear-gradient(#3d8fd6, #6db8ec 40%, #a9dcf7 75%, #d9f1fb); }\n"
      "h1 { margin: 0; padding: 24px 0 16px; text-align: center; color: #f6bf2e; font-size: 40px;"
      " text-shadow: 2px 2px 0 #2a1c14, -2px -2px 0 #2a1c14, 2px -2px 0 #2a1c14,"
      " -2px 2px 0 #2a1c14; }\n"
      "table { margin: 0 auto 32px; border-collapse: collapse; background: #fff3d4;"
      " border: 3px solid #2a1c14; min-width: 560px; }\n"
      "th { background: #2d78c8; color: #ffffff; padding: 8px 14px; text-align: left;"
      " border-bottom: 3px solid #1c5491; }\n"
      "td { padding: 6px 14px; border-bottom: 1px solid #e8d3a0; }\n"
      "tr:nth-child(even) td { background: #fffaec; }\n"
      "tr.top td { background: #ffe58a; font-weight: bold; }\n"
      "td.place, td.score, th.score { text-align: right; }\n"
      "p.empty { text-align: center; font-size: 20px; }\n"
      "footer { text-align: center; padding-bottom: 24px; color: #1c5491; }\n"
      "</style>\n</head>\n<body>\n<h1>World high scores</h1>\n";
  if (Rows.empty()) {
    Page += "<p class=\"empty\">No results yet. Be the first!</p>\n";
  } else {
    Page +=
        "<table>\n<thead><tr><th class=\"place\">Place</th><th>Name</th><th>Country</th>"
        "<th class=\"score\">Score</th><th>Date</th></tr></thead>\n<tbody>\n";
    for (const TScoreRow& R : Rows) {
      Page += R.Place <= 3 ? "<tr class=\"top\">" : "<tr>";
      Page += "<td class=\"place\">" + std::to_string(R.Place) + "</td><td class=\"name\">" +
              HtmlEscaped(R.Name) + "</td><td class=\"country\">" + HtmlEscaped(R.Country) +
              "</td><td class=\"score\">" + std::to_string(R.Score) + "</td><td class=\"date\">" +
              ScoreDate(R.Time) + "</td></tr>\n";
    }
    Page += "</tbody>\n</table>\n";
  }
  Page += "<footer>Tallow Brackles</footer>\n</body>\n</html>\n";
  return Page;
}

std::string ScoreTableJson(const std::vector<TScoreRow>& Rows) {
  std::string Json = "[";
  for (const TScoreRow& R : Rows) {
    if (Json.size() > 1) Json += ",";
    Json += "\n{\"place\":" + std::to_string(R.Place) + ",\"name\":\"" + JsonEscaped(R.Name) +
            "\",\"country\":\"" + JsonEscaped(R.Country) +
            "\",\"score\":" + std::to_string(R.Score) + ",\"date\":\"" + ScoreDate(R.Time) + "\"}";
  }
  Json += Rows.empty() ? "]\n" : "\n]\n";
  return Json;
}
