#include "tools/xmwriter/Score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "tools/xmwriter/XmInstruments.h"

namespace {

// A fault found while compiling; carries its own message.
struct TScoreError {
  int Line;
  std::string Message;
};

std::vector<std::string> Words(const std::string& Line) {
  std::istringstream In(Line);
  std::vector<std::string> Out;
  std::string W;
  while (In >> W) Out.push_back(W);
  return Out;
}

std::optional<long> WholeNumber(const std::string& Text) {
  if (Text.empty()) return std::nullopt;
  char* End = nullptr;
  const long V = std::strtol(Text.c_str(), &End, 10);
  if (End != Text.c_str() + Text.size()) return std::nullopt;
  return V;
}

std::optional<double> RealNumber(const std::string& Text) {
  if (Text.empty()) return std::nullopt;
  char* End = nullptr;
  const double V = std::strtod(Text.c_str(), &End);
  if (End != Text.c_str() + Text.size() || !std::isfinite(V)) return std::nullopt;
  return V;
}

// Pitch class of a note letter with an optional accidental ("C", "F#", "Bb"), or -1.
// Used is set to the number of characters read.
int PitchClass(const std::string& Text, size_t& Used) {
  static const int Letters[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (Text.empty() || Text[0] < 'A' || Text[0] > 'G') return -1;
  int Pc = Letters[Text[0] - 'A'];
  Used = 1;
  if (Text.size() > 1 && (Text[1] == '#' || Text[1] == 'b')) {
    Pc += Text[1] == '#' ? 1 : -1;
    Used = 2;
  }
  return (Pc + 12) % 12;
}

// A note such as "C4", "F#3" or "Bb2" as an XM note number (C-0 = 1), or 0.
uint8_t ParseNote(const std::string& Text) {
  size_t Used = 0;
  const int Pc = PitchClass(Text, Used);
  if (Pc < 0 || Text.size() != Used + 1 || !std::isdigit(static_cast<unsigned char>(Text[Used]))) {
    return 0;
  }
  const int Octave = Text[Used] - '0';
  // B#n and Cbn cross into the neighbouring octave.
  int Semitone = Octave * 12 + Pc;
  if (Text[0] == 'B' && Pc == 0) Semitone += 12;
  if (Text[0] == 'C' && Pc == 11) Semitone -= 12;
  if (Semitone < 0 || Semitone > 95) return 0;
  return static_cast<uint8_t>(Semitone + 1);
}

// Intervals of a chord symbol's quality ("", "m", "7", ...), or empty.
std::vector<int> ChordIntervals(const std::string& Quality) {
  static const std::map<std::string, std::vector<int>> Table = {
      {"", {0, 4, 7}},         {"m", {0, 3, 7}},    {"7", {0, 4, 7, 10}}, {"m7", {0, 3, 7, 10}},
      {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}}, {"sus4", {0, 5, 7}},  {"dim", {0, 3, 6}},
      {"aug", {0, 4, 8}},      {"6", {0, 4, 7, 9}}, {"m6", {0, 3, 7, 9}}, {"add9", {0, 4, 7, 14}},
      {"5", {0, 7}},
  };
  const auto It = Table.find(Quality);
  return It == Table.end() ? std::vector<int>{} : It->second;
}

// Chooses the voicing of a chord's pitch classes nearest to the previous voicing of the same
// line (smooth voice leading), or centred near E-4 for the first chord; notes stay within
// F-3 .. C-6.
std::vector<uint8_t> VoiceChord(const std::vector<int>& PitchClasses,
                                const std::vector<uint8_t>& Previous) {
  const int Low = 3 * 12 + 5 + 1, High = 6 * 12 + 1;  // F-3, C-6
  std::vector<uint8_t> Best;
  double BestCost = 1e9;
  const size_t N = PitchClasses.size();
  for (size_t Inversion = 0; Inversion < N; ++Inversion) {
    for (int Octave = 2; Octave <= 6; ++Octave) {
      std::vector<uint8_t> V;
      int Last = -1;
      for (size_t K = 0; K < N; ++K) {
        int Note = Octave * 12 + PitchClasses[(Inversion + K) % N] + 1;
        while (Note <= Last) Note += 12;
        V.push_back(static_cast<uint8_t>(Note));
        Last = Note;
      }
      if (V.front() < Low || V.back() > High) continue;
      double Cost = 0;
      if (Previous.size() == V.size()) {
        for (size_t K = 0; K < N; ++K) Cost += std::abs(V[K] - Previous[K]);
      } else {
        double Mean = 0;
        for (uint8_t Note : V) Mean += Note;
        Cost = std::abs(Mean / N - (4 * 12 + 4 + 1));
      }
      if (Cost < BestCost) {
        BestCost = Cost;
        Best = V;
      }
    }
  }
  return Best;
}

struct TInstrumentEntry {
  TInstrumentRecipe Recipe;
  uint8_t Number;  // 1-based
};

struct TGroup {
  int First, Last;  // channels, 0-based
  int Instrument;   // 0 = none
  int Row = 0;      // next row to fill
  int Length = 1;   // sticky token length in rows
  int DeclaredAt;   // line of the group's first line
  std::vector<uint8_t> LastChord;
};

struct TPatternDraft {
  std::string Name;
  int Line;
  TXmPattern Pattern;
  std::vector<TGroup> Groups;
};

class TScoreCompiler {
 public:
  TScoreCompiler(TXmModule& Module) : M(Module) {}

  void Statement(int Line, const std::vector<std::string>& W, const std::string& Rest) {
    LineNo = Line;
    const std::string& Key = W[0];
    if (std::isdigit(static_cast<unsigned char>(Key[0]))) {
      ChannelLine(W);
      return;
    }
    ClosePattern();
    if (Key == "title") {
      M.Name = Rest;
    } else if (Key == "speed") {
      M.Speed = static_cast<uint16_t>(Whole(W, 1, 31));
    } else if (Key == "bpm") {
      M.Bpm = static_cast<uint16_t>(Whole(W, 32, 255));
    } else if (Key == "channels") {
      if (!Drafts.empty()) Fail("channels must come before the first pattern");
      ScoreChannels = static_cast<int>(Whole(W, 1, 32));
    } else if (Key == "level") {
      const auto V = W.size() == 2 ? RealNumber(W[1]) : std::nullopt;
      if (!V || *V < 0.05 || *V > 1.0) Fail("level needs one number from 0.05 to 1");
      Level = *V;
    } else if (Key == "instrument") {
      Instrument(W);
    } else if (Key == "pattern") {
      OpenPattern(W);
    } else if (Key == "order") {
      if (W.size() < 2) Fail("order needs pattern names");
      for (size_t I = 1; I < W.size(); ++I) {
        const auto It = PatternIndex.find(W[I]);
        if (It == PatternIndex.end()) Fail("order names unknown pattern '" + W[I] + "'");
        M.Orders.push_back(static_cast<uint8_t>(It->second));
        OrderNames.push_back(W[I]);
      }
    } else if (Key == "restart") {
      if (W.size() != 2) Fail("restart needs one pattern name or order position");
      RestartWord = W[1];
      RestartLine = Line;
    } else {
      Fail("unknown statement '" + Key + "'");
    }
  }

  void Finish() {
    ClosePattern();
    LineNo = 0;
    if (Drafts.empty()) Fail("the score has no pattern");
    if (M.Orders.empty()) Fail("the score has no order list");
    if (M.Orders.size() > 256) Fail("the order list is longer than 256");
    if (!RestartWord.empty()) {
      LineNo = RestartLine;
      if (const auto N = WholeNumber(RestartWord)) {
        if (*N < 0 || *N >= static_cast<long>(M.Orders.size())) {
          Fail("restart position " + RestartWord + " is past the order list");
        }
        M.Restart = static_cast<uint16_t>(*N);
      } else {
        const auto It = std::find(OrderNames.begin(), OrderNames.end(), RestartWord);
        if (It == OrderNames.end())
          Fail("restart pattern '" + RestartWord + "' is not in the order list");
        M.Restart = static_cast<uint16_t>(It - OrderNames.begin());
      }
    }
    for (auto& D : Drafts) M.Patterns.push_back(std::move(D.Pattern));
    M.Channels = static_cast<uint16_t>(FileChannels());
    for (const auto& E : InstrumentList) {
      TXmInstrument I = MakeInstrument(E.Recipe);
      for (int16_t& S : I.Sample.Data) S = static_cast<int16_t>(std::lround(S * Level));
      M.Instruments.push_back(std::move(I));
    }
  }

  [[noreturn]] void Fail(const std::string& Message) { throw TScoreError{LineNo, Message}; }

 private:
  TXmModule& M;
  int LineNo = 0;
  int ScoreChannels = 8;
  double Level = 1.0;
  std::map<std::string, TInstrumentEntry> Instruments;
  std::vector<TInstrumentEntry> InstrumentList;
  std::vector<TPatternDraft> Drafts;
  std::map<std::string, size_t> PatternIndex;
  bool PatternOpen = false;
  std::vector<std::string> OrderNames;
  std::string RestartWord;
  int RestartLine = 0;

  int FileChannels() const { return ScoreChannels + ScoreChannels % 2; }

  long Whole(const std::vector<std::string>& W, long Lo, long Hi) {
    const auto V = W.size() == 2 ? WholeNumber(W[1]) : std::nullopt;
    if (!V || *V < Lo || *V > Hi) {
      Fail(W[0] + " needs one whole number from " + std::to_string(Lo) + " to " +
           std::to_string(Hi));
    }
    return *V;
  }

  void Instrument(const std::vector<std::string>& W) {
    if (W.size() < 3) Fail("instrument needs a name and a kind");
    const std::string& Name = W[1];
    if (Name == "r" || ParseNote(Name) || !std::islower(static_cast<unsigned char>(Name[0]))) {
      Fail("instrument name '" + Name + "' must start with a small letter and not be 'r'");
    }
    if (Instruments.count(Name)) Fail("instrument '" + Name + "' is defined twice");
    if (Instruments.size() >= 128) Fail("more than 128 instruments");
    static const std::map<std::string, TInstrumentKind> Kinds = {
        {"lead", TInstrumentKind::Lead},   {"pluck", TInstrumentKind::Pluck},
        {"pad", TInstrumentKind::Pad},     {"kick", TInstrumentKind::Kick},
        {"snare", TInstrumentKind::Snare}, {"hat", TInstrumentKind::Hat}};
    const auto Kind = Kinds.find(W[2]);
    if (Kind == Kinds.end()) {
      Fail("unknown instrument kind '" + W[2] + "' (lead, pluck, pad, kick, snare or hat)");
    }
    TInstrumentRecipe S = DefaultInstrument(Kind->second);
    S.Name = Name;
    S.Seed = static_cast<uint32_t>(Instruments.size() + 1);
    for (size_t I = 3; I < W.size(); ++I) InstrumentKey(S, W[I]);
    TInstrumentEntry E{S, static_cast<uint8_t>(InstrumentList.size() + 1)};
    Instruments.emplace(Name, E);
    InstrumentList.push_back(E);
  }

  void InstrumentKey(TInstrumentRecipe& S, const std::string& Word) {
    const auto Eq = Word.find('=');
    if (Eq == std::string::npos) Fail("expected key=value, got '" + Word + "'");
    const std::string Key = Word.substr(0, Eq), Value = Word.substr(Eq + 1);
    if (Key == "shape") {
      if (Value == "pulse") {
        S.Shape = TLeadShape::Pulse;
      } else if (Value == "triangle") {
        S.Shape = TLeadShape::Triangle;
      } else if (Value == "saw") {
        S.Shape = TLeadShape::Saw;
      } else {
        Fail("unknown shape '" + Value + "' (pulse, triangle or saw)");
      }
      return;
    }
    if (Key == "note") {
      S.DefaultNote = ParseNote(Value);
      if (!S.DefaultNote) Fail("note needs a note such as C4, got '" + Value + "'");
      return;
    }
    const auto V = RealNumber(Value);
    if (!V) Fail("'" + Key + "' needs a number, got '" + Value + "'");
    auto Range = [&](double Lo, double Hi) {
      if (*V < Lo || *V > Hi) {
        std::ostringstream Msg;
        Msg << "'" << Key << "' must be from " << Lo << " to " << Hi;
        Fail(Msg.str());
      }
      return *V;
    };
    auto Int = [&](double Lo, double Hi) { return static_cast<int>(std::lround(Range(Lo, Hi))); };
    if (Key == "volume") {
      S.Volume = static_cast<uint8_t>(Int(0, 64));
    } else if (Key == "pan") {
      S.Pan = static_cast<uint8_t>(Int(0, 255));
    } else if (Key == "duty") {
      S.Duty = Range(0.05, 0.95);
    } else if (Key == "attack") {
      S.AttackTicks = Int(0, 200);
    } else if (Key == "decay") {
      S.DecayTicks = Int(0, 200);
    } else if (Key == "sustain") {
      S.SustainLevel = Int(0, 64);
    } else if (Key == "fade") {
      S.Fadeout = Int(0, 4095);
    } else if (Key == "vibrato_depth") {
      S.VibratoDepth = Int(0, 15);
    } else if (Key == "vibrato_rate") {
      S.VibratoRate = Int(0, 63);
    } else if (Key == "vibrato_sweep") {
      S.VibratoSweep = Int(0, 255);
    } else if (Key == "length") {
      S.LengthMs = Range(10, 4000);
    } else if (Key == "detune") {
      S.DetuneCents = Range(1, 50);
    } else if (Key == "bright") {
      S.Brightness = Range(0.25, 4);
    } else if (Key == "seed") {
      S.Seed = static_cast<uint32_t>(Int(0, 1000000));
    } else {
      Fail("unknown instrument key '" + Key + "'");
    }
  }

  void OpenPattern(const std::vector<std::string>& W) {
    if (W.size() != 3 && !(W.size() == 5 && W[3] == "like")) {
      Fail("expected 'pattern NAME ROWS' or 'pattern NAME ROWS like OTHER'");
    }
    if (PatternIndex.count(W[1])) Fail("pattern '" + W[1] + "' is defined twice");
    if (Drafts.size() >= 256) Fail("more than 256 patterns");
    const auto Rows = WholeNumber(W[2]);
    if (!Rows || *Rows < 1 || *Rows > 256) Fail("pattern rows must be from 1 to 256");
    TPatternDraft D;
    D.Name = W[1];
    D.Line = LineNo;
    D.Pattern.Rows = static_cast<uint16_t>(*Rows);
    D.Pattern.Cells.assign(static_cast<size_t>(*Rows) * FileChannels(), TXmCell{});
    if (W.size() == 5) {
      const auto It = PatternIndex.find(W[4]);
      if (It == PatternIndex.end()) Fail("pattern '" + W[4] + "' to copy is not defined yet");
      const TXmPattern& Source = Drafts[It->second].Pattern;
      if (Source.Rows != *Rows) Fail("pattern '" + W[4] + "' has another number of rows");
      D.Pattern.Cells = Source.Cells;
    }
    PatternIndex.emplace(D.Name, Drafts.size());
    Drafts.push_back(std::move(D));
    PatternOpen = true;
  }

  void ClosePattern() {
    if (!PatternOpen) return;
    PatternOpen = false;
    const TPatternDraft& D = Drafts.back();
    for (const TGroup& G : D.Groups) {
      if (G.Row != D.Pattern.Rows) {
        LineNo = G.DeclaredAt;
        Fail("channel " + GroupName(G) + " of pattern '" + D.Name + "' fills " +
             std::to_string(G.Row) + " rows of " + std::to_string(D.Pattern.Rows));
      }
    }
  }

  static std::string GroupName(const TGroup& G) {
    return G.First == G.Last ? std::to_string(G.First + 1)
                             : std::to_string(G.First + 1) + "-" + std::to_string(G.Last + 1);
  }

  TXmCell& Cell(int Row, int Channel) {
    return Drafts.back().Pattern.Cells[static_cast<size_t>(Row) * FileChannels() + Channel];
  }

  void ChannelLine(const std::vector<std::string>& W) {
    if (!PatternOpen) Fail("a channel line outside a pattern");
    if (W.size() < 2) Fail("a channel line needs an instrument (or '-') and notes");
    // Channel range: "3" or "3-5", 1-based.
    int First = 0, Last = 0;
    const auto Dash = W[0].find('-');
    const auto A = WholeNumber(W[0].substr(0, Dash));
    const auto B = Dash == std::string::npos ? A : WholeNumber(W[0].substr(Dash + 1));
    if (!A || !B || *A < 1 || *B < *A || *B > ScoreChannels) {
      Fail("channels '" + W[0] + "' are not within 1.." + std::to_string(ScoreChannels));
    }
    First = static_cast<int>(*A) - 1;
    Last = static_cast<int>(*B) - 1;
    int InstrumentNumber = 0;
    if (W[1] != "-") {
      const auto It = Instruments.find(W[1]);
      if (It == Instruments.end()) Fail("unknown instrument '" + W[1] + "'");
      InstrumentNumber = It->second.Number;
    }
    TPatternDraft& D = Drafts.back();
    TGroup* Group = nullptr;
    for (TGroup& G : D.Groups) {
      if (G.First == First && G.Last == Last) {
        Group = &G;
      } else if (G.First <= Last && First <= G.Last) {
        Fail("channels " + W[0] + " overlap channels " + GroupName(G) + " of this pattern");
      }
    }
    if (!Group) {
      D.Groups.push_back(TGroup{First, Last, InstrumentNumber, 0, 1, LineNo, {}});
      Group = &D.Groups.back();
      // A line replaces whatever a copied pattern had in its channels.
      for (int R = 0; R < D.Pattern.Rows; ++R) {
        for (int C = First; C <= Last; ++C) Cell(R, C) = TXmCell{};
      }
    } else if (Group->Instrument != InstrumentNumber) {
      Fail("channels " + W[0] + " change instrument within the pattern");
    }
    if (W.size() < 3) Fail("a channel line needs notes");
    // A lone "*N" plays the tokens since the line's start (or the previous "*N") N times.
    size_t Segment = 2;
    for (size_t I = 2; I < W.size(); ++I) {
      if (W[I][0] != '*') {
        Token(*Group, W[I]);
        continue;
      }
      const auto N = WholeNumber(W[I].substr(1));
      if (!N || *N < 1 || *N > 256) Fail("repeat '" + W[I] + "' must be *1 to *256");
      if (I == Segment) Fail("repeat '" + W[I] + "' has nothing to repeat");
      for (long K = 1; K < *N; ++K) {
        for (size_t J = Segment; J < I; ++J) Token(*Group, W[J]);
      }
      Segment = I + 1;
    }
  }

  void Token(TGroup& G, const std::string& Word) {
    const TPatternDraft& D = Drafts.back();
    // Split off the suffixes /N, @V and !Exx.
    const auto Cut = Word.find_first_of("/@!*", Word[0] == '<' ? Word.find('>') : 0);
    const std::string Base = Word.substr(0, Cut);
    int Volume = -1;
    int Repeat = 1;
    uint8_t Effect = 0, Param = 0;
    size_t At = Cut;
    while (At != std::string::npos && At < Word.size()) {
      const char Kind = Word[At];
      const auto Next = Word.find_first_of("/@!*", At + 1);
      const std::string Arg =
          Word.substr(At + 1, Next == std::string::npos ? std::string::npos : Next - At - 1);
      if (Kind == '/') {
        const auto N = WholeNumber(Arg);
        if (!N || *N < 1 || *N > 256) Fail("length in '" + Word + "' must be 1 to 256 rows");
        G.Length = static_cast<int>(*N);
      } else if (Kind == '*') {
        const auto N = WholeNumber(Arg);
        if (!N || *N < 1 || *N > 256) Fail("repeat in '" + Word + "' must be 1 to 256 times");
        Repeat = static_cast<int>(*N);
      } else if (Kind == '@') {
        const auto N = WholeNumber(Arg);
        if (!N || *N < 0 || *N > 64) Fail("volume in '" + Word + "' must be 0 to 64");
        Volume = static_cast<int>(*N);
      } else {
        if (Arg.size() != 3 || !std::isalnum(static_cast<unsigned char>(Arg[0])) ||
            !std::isxdigit(static_cast<unsigned char>(Arg[1])) ||
            !std::isxdigit(static_cast<unsigned char>(Arg[2]))) {
          Fail("effect in '" + Word + "' must be a letter or digit and two hex digits");
        }
        const char E = static_cast<char>(std::toupper(static_cast<unsigned char>(Arg[0])));
        Effect = static_cast<uint8_t>(std::isdigit(static_cast<unsigned char>(E)) ? E - '0'
                                                                                  : E - 'A' + 10);
        Param = static_cast<uint8_t>(std::strtol(Arg.substr(1).c_str(), nullptr, 16));
      }
      At = Next;
    }
    if (Base.empty()) Fail("empty note in '" + Word + "'");
    if (G.Row + G.Length * Repeat > D.Pattern.Rows) {
      Fail("'" + Word + "' runs past row " + std::to_string(D.Pattern.Rows) + " of pattern '" +
           D.Name + "' on channel " + GroupName(G));
    }
    const int Width = G.Last - G.First + 1;
    std::vector<std::pair<uint8_t, uint8_t>> Notes;  // note, instrument per channel
    if (Base == ".") {
      // nothing new
    } else if (Base == "r") {
      Notes.assign(Width, {XmKeyOff, 0});
    } else if (Base[0] == '<') {
      if (Base.back() != '>') Fail("chord '" + Base + "' needs a closing '>'");
      if (!G.Instrument) Fail("a chord on a line without an instrument");
      const std::vector<uint8_t> Chord = ParseChord(Base.substr(1, Base.size() - 2), G);
      if (static_cast<int>(Chord.size()) > Width) {
        Fail("chord " + Base + " has " + std::to_string(Chord.size()) + " notes for " +
             std::to_string(Width) + " channels");
      }
      for (int C = 0; C < Width; ++C) {
        Notes.push_back(C < static_cast<int>(Chord.size())
                            ? std::pair<uint8_t, uint8_t>{Chord[C], G.Instrument}
                            : std::pair<uint8_t, uint8_t>{XmKeyOff, 0});
      }
      G.LastChord = Chord;
    } else if (const uint8_t Note = ParseNote(Base)) {
      if (Width != 1) Fail("note '" + Base + "' on several channels: write a chord <...>");
      if (!G.Instrument) Fail("note '" + Base + "' on a line without an instrument");
      Notes.push_back({Note, G.Instrument});
    } else if (const auto It = Instruments.find(Base); It != Instruments.end()) {
      if (Width != 1) Fail("hit '" + Base + "' on several channels");
      Notes.push_back({It->second.Recipe.DefaultNote, It->second.Number});
    } else {
      Fail("'" + Base + "' is not a note, chord, instrument, 'r' or '.'");
    }
    for (int K = 0; K < Repeat; ++K) Emit(G, Notes, Volume, Effect, Param);
  }

  void Emit(TGroup& G, const std::vector<std::pair<uint8_t, uint8_t>>& Notes, int Volume,
            uint8_t Effect, uint8_t Param) {
    for (int C = 0; C < static_cast<int>(Notes.size()); ++C) {
      TXmCell& Cell_ = Cell(G.Row, G.First + C);
      Cell_.Note = Notes[C].first;
      Cell_.Instrument = Notes[C].second;
      if (Volume >= 0 && Notes[C].second) Cell_.Volume = static_cast<uint8_t>(0x10 + Volume);
    }
    if (Volume >= 0 && Notes.empty()) {
      for (int C = G.First; C <= G.Last; ++C)
        Cell(G.Row, C).Volume = static_cast<uint8_t>(0x10 + Volume);
    }
    if (Effect || Param) {
      Cell(G.Row, G.First).Effect = Effect;
      Cell(G.Row, G.First).Param = Param;
    }
    G.Row += G.Length;
  }

  std::vector<uint8_t> ParseChord(const std::string& Inner, const TGroup& G) {
    // Explicit notes are joined by '+': a lone "G7" is the chord symbol, not the note.
    if (Inner.find('+') != std::string::npos) {
      std::vector<uint8_t> Notes;
      std::string Part;
      std::istringstream In(Inner);
      while (std::getline(In, Part, '+')) {
        const uint8_t N = ParseNote(Part);
        if (!N) Fail("'" + Part + "' in chord <" + Inner + "> is not a note");
        Notes.push_back(N);
      }
      return Notes;
    }
    size_t Used = 0;
    const int Root = PitchClass(Inner, Used);
    const std::vector<int> Intervals =
        Root < 0 ? std::vector<int>{} : ChordIntervals(Inner.substr(Used));
    if (Intervals.empty()) Fail("unknown chord <" + Inner + ">");
    std::vector<int> Classes;
    for (int I : Intervals) Classes.push_back((Root + I) % 12);
    return VoiceChord(Classes, G.LastChord);
  }
};

// A comment starts with '#' at the start of a word; '#' inside a word is a sharp (C#4).
size_t CommentStart(const std::string& Line) {
  for (size_t I = 0; I < Line.size(); ++I) {
    if (Line[I] == '#' && (I == 0 || Line[I - 1] == ' ' || Line[I - 1] == '\t')) return I;
  }
  return std::string::npos;
}

}  // namespace

bool CompileScore(const std::string& Text, const std::string& FileName, TXmModule& Module,
                  std::string& Error) {
  Module = TXmModule{};
  TScoreCompiler Compiler(Module);
  try {
    std::istringstream In(Text);
    std::string Raw;
    int LineNo = 0;
    while (std::getline(In, Raw)) {
      ++LineNo;
      const std::string Line = Raw.substr(0, CommentStart(Raw));
      const auto W = Words(Line);
      if (W.empty()) continue;
      // The text after the first word, for titles.
      const auto Start = Line.find_first_not_of(" \t", Line.find(W[0]) + W[0].size());
      std::string Rest = Start == std::string::npos ? "" : Line.substr(Start);
      while (!Rest.empty() && std::isspace(static_cast<unsigned char>(Rest.back())))
        Rest.pop_back();
      Compiler.Statement(LineNo, W, Rest);
    }
    Compiler.Finish();
  } catch (const TScoreError& E) {
    Error = FileName + (E.Line ? ":" + std::to_string(E.Line) : std::string()) + ": " + E.Message;
    return false;
  }
  const std::string Fault = CheckXmModule(Module);
  if (!Fault.empty()) {
    Error = FileName + ": " + Fault;
    return false;
  }
  return true;
}

bool CompileScoreFile(const std::string& Path, std::vector<uint8_t>& XmFile, std::string& Error) {
  XmFile.clear();
  std::ifstream File(Path, std::ios::binary);
  if (!File) {
    Error = Path + ": cannot be opened";
    return false;
  }
  std::stringstream Text;
  Text << File.rdbuf();
  TXmModule Module;
  if (!CompileScore(Text.str(), Path, Module, Error)) return false;
  XmFile = WriteXm(Module);
  return true;
}
