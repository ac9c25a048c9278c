// Arrange.cpp — sections, rhythm patterns and the part writers.
#include "content/Arrange.h"

#include "core/Error.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace Music {

namespace {

constexpr int DrumAccent = 118, DrumHit = 96, DrumSoft = 72, DrumGhost = 46;
constexpr int GhostDrop = 30;             // a ghost bass note sits this far below the line
constexpr uint32_t DrumTicks = Ppq / 4;   // drums are struck: the length only ends the note
constexpr uint32_t LegatoGap = 12;        // ticks between tied melody notes, so each speaks
constexpr int VelocitySpread = 3;

bool IsBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); });
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\n");
  const size_t last = s.find_last_not_of(" \t\n");
  return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

// "5", "b3", "#4", "1'", "7,", "5!" -> degree (0-based), accidental, accent.
bool ReadDegree(const std::string& token, TPhraseNote& note) {
  size_t pos = 0;
  note.Accidental = 0;
  if (pos < token.size() && (token[pos] == 'b' || token[pos] == '#')) note.Accidental = token[pos++] == 'b' ? -1 : 1;
  if (pos >= token.size() || token[pos] < '1' || token[pos] > '7') return false;
  note.Degree = token[pos++] - '1';
  for (; pos < token.size(); ++pos) {
    if (token[pos] == '\'') note.Degree += 7;
    else if (token[pos] == ',') note.Degree -= 7;
    else if (token[pos] == '!') note.Accent = true;
    else return false;
  }
  return true;
}

bool Accented(std::string& token) {
  if (token.empty() || token.back() != '!') return false;
  token.pop_back();
  return true;
}

// The lowest pitch at or above `lowest` with the given pitch class.
int PitchAbove(int lowest, int pitchClass) { return lowest + Wrap12(pitchClass - lowest); }

}  // namespace

TPhrase Transposed(const TPhrase& phrase, int degrees) {
  TPhrase out = phrase;
  for (TPhraseNote& n : out.Notes) n.Degree += degrees;
  return out;
}

TPhrase Joined(const TPhrase& first, const TPhrase& second) {
  TPhrase out = first;
  for (TPhraseNote n : second.Notes) {
    n.Offset += first.Length;
    out.Notes.push_back(n);
  }
  out.Length = first.Length + second.Length;
  return out;
}

TComposer::TComposer(const std::string& title, const std::string& key, double bpm, int meterNumerator,
                     int meterDenominator, uint64_t seed)
    : Rng(seed) {
  Piece.Title = title;
  Piece.Key = MakeKey(key);
  Piece.Bpm = bpm;
  Piece.MeterNumerator = meterNumerator;
  Piece.MeterDenominator = meterDenominator;
  if (meterDenominator == 8 && meterNumerator % 3 == 0) {
    // Compound time counts dotted quarters.
    Piece.BeatsPerBar = meterNumerator / 3;
    Piece.BeatTicks = Ppq * 3 / 2;
  } else if (meterDenominator == 4) {
    Piece.BeatsPerBar = meterNumerator;
    Piece.BeatTicks = Ppq;
  } else {
    throw TFileError(title, "unsupported meter");
  }
}

int TComposer::AddPart(const std::string& name, int channel, int program, TRole role, int volume, int pan,
                       int reverb, int chorus) {
  TPart part;
  part.Name = name;
  part.Channel = channel;
  part.Program = program;
  part.Role = role;
  part.Volume = volume;
  part.Pan = pan;
  part.Reverb = reverb;
  part.Chorus = chorus;
  Piece.Parts.push_back(part);
  return static_cast<int>(Piece.Parts.size()) - 1;
}

TSection TComposer::Section(const std::string& name, const std::string& progression) {
  TSection section;
  section.Name = name;
  section.Start = Piece.Length;
  section.BarTicks = BarTicks();
  std::stringstream bars(progression);
  std::string bar;
  while (std::getline(bars, bar, '|')) {
    if (IsBlank(bar)) continue;
    std::stringstream symbols(bar);
    std::vector<std::string> chords;
    for (std::string s; symbols >> s;) chords.push_back(s);
    const uint32_t share = BarTicks() / static_cast<uint32_t>(chords.size());
    for (size_t i = 0; i < chords.size(); ++i)
      Piece.Chords.push_back({section.End() + static_cast<uint32_t>(i) * share, share, ParseChord(chords[i])});
    ++section.Bars;
  }
  Piece.Length = section.End();
  return section;
}

TComposer::TPattern TComposer::Parse(const std::string& text) const {
  TPattern pattern;
  std::stringstream bars(text);
  std::string bar;
  while (std::getline(bars, bar, '|')) {
    if (IsBlank(bar)) continue;
    bar = Trimmed(bar);
    std::vector<std::string> tokens;
    if (bar.find(' ') != std::string::npos) {
      std::stringstream words(bar);
      for (std::string w; words >> w;) tokens.push_back(w);
    } else {
      for (char c : bar) tokens.emplace_back(1, c);
    }
    if (BarTicks() % tokens.size() != 0) throw TFileError(Piece.Title, "pattern bar \"" + bar + "\" does not divide the bar");
    const uint32_t step = BarTicks() / static_cast<uint32_t>(tokens.size());
    bool tied = false;  // whether "-" may lengthen the last step
    for (size_t i = 0; i < tokens.size(); ++i) {
      const uint32_t at = pattern.Length + static_cast<uint32_t>(i) * step;
      if (tokens[i] == "-") {
        if (tied) pattern.Steps.back().Length += step;
        continue;
      }
      tied = tokens[i] != ".";
      if (tied) pattern.Steps.push_back({at, step, tokens[i]});
    }
    pattern.Length += BarTicks();
  }
  if (pattern.Length == 0) throw TFileError(Piece.Title, "empty pattern");
  return pattern;
}

template <typename F>
void TComposer::Repeat(const TPattern& pattern, uint32_t from, uint32_t to, F emit) const {
  for (uint32_t base = from; base < to; base += pattern.Length) {
    for (const TStep& step : pattern.Steps) {
      const uint32_t tick = base + step.Offset;
      if (tick >= to) break;
      emit(tick, std::min(step.Length, to - tick), step.Token);
    }
  }
}

TPhrase TComposer::Phrase(const std::string& text) const {
  TPhrase phrase;
  const TPattern pattern = Parse(text);
  for (const TStep& step : pattern.Steps) {
    TPhraseNote note;
    if (!ReadDegree(step.Token, note)) throw TFileError(Piece.Title, "bad melody token \"" + step.Token + "\"");
    note.Offset = step.Offset;
    note.Length = step.Length;
    phrase.Notes.push_back(note);
  }
  phrase.Length = pattern.Length;
  return phrase;
}

int TComposer::Velocity(int base, uint32_t tick, bool accent) {
  const uint32_t inBar = tick % BarTicks();
  int lean = -5;
  if (inBar == 0) lean = 8;
  else if (Piece.StrongBeat(tick)) lean = 5;
  else if (inBar % Piece.BeatTicks == 0) lean = 2;
  else if (inBar % (Ppq / 2) == 0) lean = -2;
  const int spread = static_cast<int>(Rng.Next() % (2 * VelocitySpread + 1)) - VelocitySpread;
  return std::clamp(base + lean + (accent ? 14 : 0) + spread, 1, 127);
}

std::vector<int> TComposer::Voice(const TChord& chord, const TVoicing& voicing, const std::vector<int>& previous) const {
  std::vector<int> classes;
  for (const TChordTone& t : chord.Tones)
    if (std::find(classes.begin(), classes.end(), t.PitchClass) == classes.end()) classes.push_back(t.PitchClass);
  const int n = static_cast<int>(classes.size());
  std::vector<int> best;
  long bestCost = LONG_MAX;
  for (int rotation = 0; rotation < n; ++rotation) {
    for (int start = voicing.Low; start < voicing.Low + 12; ++start) {
      if (Wrap12(start) != classes[rotation]) continue;
      std::vector<int> notes = {start};
      for (int v = 1; v < voicing.Voices; ++v) {
        const int pc = classes[(rotation + v) % n];
        notes.push_back(notes.back() + 1 + Wrap12(pc - notes.back() - 1));
      }
      if (notes.back() > voicing.High) continue;
      long cost = 0;
      if (previous.size() == notes.size()) {
        for (size_t i = 0; i < notes.size(); ++i) cost += std::abs(notes[i] - previous[i]);
      } else {
        int sum = 0;
        for (int p : notes) sum += p;
        cost = std::abs(2 * sum - static_cast<int>(notes.size()) * (voicing.Low + voicing.High));
      }
      if (cost < bestCost) {
        bestCost = cost;
        best = notes;
      }
    }
  }
  if (best.empty()) throw TFileError(Piece.Title, "no voicing of " + chord.Symbol + " fits the range");
  return best;
}

std::vector<int> TComposer::ChordScaleAbove(const TChord& chord, int root) const {
  std::vector<int> rel;
  for (int d = 0; d < 7; ++d) rel.push_back(Wrap12(ScalePitch(Piece.Key, chord, d, Piece.Key.Tonic) - root));
  std::sort(rel.begin(), rel.end());
  rel.erase(std::unique(rel.begin(), rel.end()), rel.end());
  if (rel.front() != 0) rel.insert(rel.begin(), 0);
  std::vector<int> steps;
  for (int k = 0; k < 9; ++k) steps.push_back(root + rel[k % rel.size()] + 12 * (k / static_cast<int>(rel.size())));
  return steps;
}

void TComposer::Pad(int part, const TSection& section, const TVoicing& voicing, int velocity, const std::string& rhythm) {
  const TPattern pattern = Parse(rhythm);
  std::vector<int> previous;
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  Repeat(pattern, section.Start, section.End(), [&](uint32_t tick, uint32_t length, std::string token) {
    const bool accent = Accented(token) || token == "X";
    if (token != "x" && token != "X" && token != "m") throw TFileError(Piece.Title, "bad chord token \"" + token + "\"");
    // A held chord is struck again where the harmony changes under it.
    for (uint32_t t = tick; t < tick + length;) {
      const TChord& chord = Piece.ChordAt(t);
      uint32_t until = tick + length;
      for (const TChordSpan& span : Piece.Chords)
        if (span.Tick > t && span.Tick < until) until = span.Tick;
      previous = Voice(chord, voicing, previous);
      const uint32_t sounding = std::max<uint32_t>(1, static_cast<uint32_t>((until - t) * voicing.Gate));
      const int v = Velocity(velocity, t, accent) - (token == "m" ? 20 : 0);
      for (int pitch : previous) notes.push_back({t, sounding, pitch, v});
      t = until;
    }
  });
}

void TComposer::Bass(int part, const TSection& section, const std::string& pattern, int lowest, int velocity,
                     double gate) {
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  int last = lowest + 12;
  Repeat(Parse(pattern), section.Start, section.End(), [&](uint32_t tick, uint32_t length, std::string token) {
    const bool accent = Accented(token);
    const TChord& chord = Piece.ChordAt(tick);
    const int root = PitchAbove(lowest, chord.Tones.front().PitchClass);
    int pitch = root;
    int v = Velocity(velocity, tick, accent);
    uint32_t sounding = std::max<uint32_t>(1, static_cast<uint32_t>(length * gate));
    if (token == "1") {
      pitch = PitchAbove(lowest, chord.Bass);
    } else if (token == ">") {
      const int target = PitchAbove(lowest, Piece.ChordAt(tick + length).Bass);
      pitch = target >= last ? target - 1 : target + 1;
    } else if (token == "x") {
      v = std::max(1, v - GhostDrop);
      sounding = std::min<uint32_t>(sounding, Ppq / 8);
    } else if (token.size() == 1 && token[0] >= '2' && token[0] <= '9') {
      pitch = ChordScaleAbove(chord, root)[token[0] - '1'];
    } else {
      throw TFileError(Piece.Title, "bad bass token \"" + token + "\"");
    }
    notes.push_back({tick, sounding, pitch, v});
    last = pitch;
  });
}

void TComposer::Arpeggio(int part, const TSection& section, const std::string& pattern, int lowest, int velocity,
                         double gate) {
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  Repeat(Parse(pattern), section.Start, section.End(), [&](uint32_t tick, uint32_t length, std::string token) {
    const bool accent = Accented(token);
    if (token.size() != 1 || token[0] < '1' || token[0] > '9')
      throw TFileError(Piece.Title, "bad arpeggio token \"" + token + "\"");
    const TChord& chord = Piece.ChordAt(tick);
    std::vector<int> tones;
    for (int p = lowest; tones.size() < 9; ++p)
      if (InChord(chord, p)) tones.push_back(p);
    const uint32_t sounding = std::max<uint32_t>(1, static_cast<uint32_t>(length * gate));
    notes.push_back({tick, sounding, tones[token[0] - '1'], Velocity(velocity, tick, accent)});
  });
}

void TComposer::PowerChords(int part, const TSection& section, const std::string& pattern, int lowest, int velocity) {
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  Repeat(Parse(pattern), section.Start, section.End(), [&](uint32_t tick, uint32_t length, std::string token) {
    const bool muted = token == "m";
    const bool accent = token == "X";
    if (!muted && !accent && token != "x") throw TFileError(Piece.Title, "bad chord token \"" + token + "\"");
    const int root = PitchAbove(lowest, Piece.ChordAt(tick).Tones.front().PitchClass);
    // Palm-muted chugs are short and soft; open chords ring for their full length.
    const uint32_t sounding = muted ? std::min<uint32_t>(length, Ppq / 6) : length - std::min<uint32_t>(length / 8, 20);
    const int v = Velocity(velocity, tick, accent) - (muted ? 18 : 0);
    for (int interval : {0, 7, 12}) notes.push_back({tick, sounding, root + interval, v});
  });
}

void TComposer::Drums(int part, const TSection& section, const TDrums& groove, const TDrums& fill, int velocityShift) {
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  const uint32_t grooveEnd = fill.empty() ? section.End() : section.End() - BarTicks();
  const auto play = [&](const TDrums& lines, uint32_t from, uint32_t to) {
    for (const auto& [drum, text] : lines) {
      Repeat(Parse(text), from, to, [&](uint32_t tick, uint32_t, const std::string& token) {
        int base = DrumHit;
        if (token == "X") base = DrumAccent;
        else if (token == "o") base = DrumSoft;
        else if (token == "g") base = DrumGhost;
        else if (token != "x") throw TFileError(Piece.Title, "bad drum token \"" + token + "\"");
        notes.push_back({tick, DrumTicks, drum, Velocity(base + velocityShift, tick, false)});
      });
    }
  };
  play(groove, section.Start, grooveEnd);
  if (!fill.empty()) play(fill, grooveEnd, section.End());
}

void TComposer::Melody(int part, const TSection& section, const TPhrase& phrase, int tonicPitch, int velocity,
                       uint32_t offset) {
  std::vector<TNote>& notes = Piece.Parts[part].Notes;
  for (const TPhraseNote& n : phrase.Notes) {
    const uint32_t tick = section.Start + offset + n.Offset;
    const TChord& chord = Piece.ChordAt(tick);
    int pitch = ScalePitch(Piece.Key, chord, n.Degree, tonicPitch) + n.Accidental;
    // On a strong beat a note a semitone above a chord tone grates against it: the ear
    // hears a wrong note, not a colour, so it gives way to the nearest chord tone.
    if (Piece.StrongBeat(tick) && !InChord(chord, pitch) && InChord(chord, pitch - 1))
      pitch = NearestChordTone(chord, pitch);
    const uint32_t sounding = n.Length > 2 * LegatoGap ? n.Length - LegatoGap : n.Length;
    notes.push_back({tick, sounding, pitch, Velocity(velocity, tick, n.Accent)});
  }
}

void TComposer::Note(int part, uint32_t tick, uint32_t length, int pitch, int velocity) {
  Piece.Parts[part].Notes.push_back({tick, length, pitch, Velocity(velocity, tick, false)});
}

void TComposer::Roll(int part, uint32_t tick, uint32_t length, int pitch, int fromVelocity, int toVelocity) {
  const uint32_t stroke = Ppq / 4;
  for (uint32_t t = 0; t < length; t += stroke) {
    const int v = fromVelocity + static_cast<int>((toVelocity - fromVelocity) * static_cast<double>(t) / length);
    Piece.Parts[part].Notes.push_back({tick + t, stroke, pitch, std::clamp(v, 1, 127)});
  }
}

void TComposer::Ramp(int part, uint32_t from, uint32_t to, int controller, int startValue, int endValue) {
  std::vector<TControl>& controls = Piece.Parts[part].Controls;
  const uint32_t step = Ppq / 2;
  for (uint32_t t = from; t < to; t += step) {
    const double f = static_cast<double>(t - from) / (to - from);
    controls.push_back({t, controller, static_cast<int>(startValue + (endValue - startValue) * f + 0.5)});
  }
  controls.push_back({to, controller, endValue});
}

TScore TComposer::Finish() { return Piece; }

}  // namespace Music
