// TextConstants.cpp — the English and Slovak texts of the game window.
#include "menu/TextConstants.h"

#include "core/TextCodec.h"

#include <stdexcept>

std::string TextTable[TextCount];

namespace {

// Entries 90 to 100 are never filled.
constexpr int FilledCount = 90;

// The credit lines read the same in both languages.
const char* const Credits1 = "Quintara: written and built by the Quintara team";
const char* const Credits2 = "Vehicle model: the Quintara team's content forge";

// The story and briefing lines are padded with blanks to an even length; the blanks,
// trailing ones included, are part of the text.
// Language 0.
const char* const English[FilledCount] = {
    "In  the   year   2732  the",  // 0
    "organization known as Army",  // 1
    "of Fear  attempts  to take",  // 2
    "over   the   remains    of",  // 3
    "humanity.   Only  a  small",  // 4
    "group  of rebels  resists,",  // 5
    "fighting   for   survival.",  // 6
    "Their secret weapon  and a",  // 7
    "last hope is QUINTARA...",  // 8
    "Mission 1",  // 9
    "Cargo of quintara  must",  // 10
    "be   transported  through",  // 11
    "dangerous  mountain area.",  // 12
    "You   must  protect   our",  // 13
    "ships   at   all   costs.",  // 14
    "The cargo they are caring",  // 15
    "is very precious.",  // 16
    "",  // 17
    "",  // 18
    "",  // 19
    "Mission 2",  // 20
    "Our source has determined",  // 21
    "the position  of a secret",  // 22
    "enemy base.  As our  best",  // 23
    "pilot, you must penetrate",  // 24
    "the  area,   engage   air",  // 25
    "defense, and  destroy all",  // 26
    "ground   structures   and",  // 27
    "units.",  // 28
    "",  // 29
    "",  // 30
    "Mission 3",  // 31
    "After the  success of the",  // 32
    "last  mission,  you  have",  // 33
    "been  chosen  to  destroy",  // 34
    "other  bases.  The  enemy",  // 35
    "has  finally realized the",  // 36
    "power of  Quintara, and",  // 37
    "has    reinforced     his",  // 38
    "defense.    Destroy   all",  // 39
    "structures  and  units in",  // 40
    "the area.",  // 41
    "Mission 4",  // 42
    "Ships of  Quintara have",  // 43
    "fallen into a trap. While",  // 44
    "being  the  only pilot in",  // 45
    "the  area, you  must rush",  // 46
    "to help  them, and escort",  // 47
    "them  through  the  enemy",  // 48
    "territory.",  // 49
    "",  // 50
    "",  // 51
    "",  // 52
    "Mission 5",  // 53
    "The  enemy  has  tried to",  // 54
    "evacuate  his units  from",  // 55
    "the area. Fortunately, we",  // 56
    "have learnt of this  plan",  // 57
    "soon enough.  Destroy all",  // 58
    "enemy convoys and  ground",  // 59
    "structures. Other  pilots",  // 60
    "will  provide   you  with",  // 61
    "cover from the air.",  // 62
    "",  // 63
    "Start",  // 64
    "Again",  // 65
    "OK",  // 66
    "Info",  // 67
    "Exit",  // 68
    "Yes",  // 69
    "No",  // 70
    "Do you wish to leave this level ?",  // 71
    "Outcome: mission successful",  // 72
    "Outcome: mission failed",  // 73
    "Shot Accuracy: ",  // 74
    "Controls:",  // 75
    "movement: arrows, mouse",  // 76
    "primary attack: space, ctrl, num.pad 5, left button",  // 77
    "secondary attack: enter, alt, ins, right button",  // 78
    "thrust: w, pgUp",  // 79
    "brake: s, pgDown",  // 80
    "camera: F1, F2",  // 81
    Credits1,
    Credits2,
    "After   the   last   defeat",  // 84
    "forces of  the   enemy  are",  // 85
    "weaken  significantly.  The",  // 86
    "world is saved for a while,",  // 87
    "and   Quintara   can   be ",  // 88
    "be spread further...",  // 89
};

// Language 1, in UTF-8 here; converted to code page 1250 when selected.
const char* const Slovak[FilledCount] = {
    "V roku 2732 sa organizácia",  // 0
    "známa ako  Armáda  Strachu",  // 1
    "snaží   ovládnuť  posledné",  // 2
    "zvyšky ľudstva. Jediný,kto",  // 3
    "sa  postavil  na  odpor je",  // 4
    "malá    skupina    rebelov",  // 5
    "bojujúcich o prežitie. Ich",  // 6
    "tajná   zbraň  a  posledná",  // 7
    "nádej je QUINTARA...",  // 8
    "Misia 1",  // 9
    "Náklad  quintary   musí",  // 10
    "byť    prepravený     cez",  // 11
    "nebezpečnú horskú oblasť.",  // 12
    "Musíš  ochrániť naše lode",  // 13
    "za každú cenu. Vezú cenný",  // 14
    "náklad.",  // 15
    "",  // 16
    "",  // 17
    "",  // 18
    "",  // 19
    "Misia 2",  // 20
    "Náš zdroj nám lokalizoval",  // 21
    "polohu   tajnej  základne",  // 22
    "nepriateľa.    Ako    náš",  // 23
    "najlepší    pilot   musíš",  // 24
    "preniknúť   do   oblasti,",  // 25
    "vyradiť  obranu a  zničiť",  // 26
    "všetky  pozemné   objekty",  // 27
    "a jednotky.",  // 28
    "",  // 29
    "",  // 30
    "Misia 3",  // 31
    "Po   úspechu    predošlej",  // 32
    "misie  si bol vybraný  na",  // 33
    "zničenie ďalších základní.",  // 34
    "Nepriateľ konečne pocítil",  // 35
    "silu  Quintary  a preto",  // 36
    "posilňuje  svoju  obranu.",  // 37
    "Znič   všetky  objekty  a",  // 38
    "jednotky v oblasti.",  // 39
    "",  // 40
    "",  // 41
    "Misia 4",  // 42
    "Lode     Quintary    sa",  // 43
    "dostali  do pasce.  Keďže",  // 44
    "si jediný  pilot  v okolí",  // 45
    "musíš   im  priletieť  na",  // 46
    "pomoc  a  eskortovať  ich",  // 47
    "cez nepriateľské územie. ",  // 48
    "",  // 49
    "",  // 50
    "",  // 51
    "",  // 52
    "Misia 5",  // 53
    "Nepriateľ    sa     snaží",  // 54
    "evakuovať  svoje jednotky",  // 55
    "z oblasti. Naštastie  sme",  // 56
    "sa  o  jeho  pláne  skoro",  // 57
    "dozvedeli.  Znič   všetky",  // 58
    "nepriateľské   konvoje  a",  // 59
    "pozemné objekty.  Ostatní",  // 60
    "piloti  ťa  budú  kryť zo",  // 61
    "vzduchu.",  // 62
    "",  // 63
    "Štart",  // 64
    "Znovu",  // 65
    "OK",  // 66
    "Info",  // 67
    "Koniec",  // 68
    "Áno",  // 69
    "Nie",  // 70
    "Chcete ukončiť tento level ?",  // 71
    "Výsledok: misia úspešná",  // 72
    "Výsledok: misia neúspešná",  // 73
    "Presnosť zásahov: ",  // 74
    "Ovládanie:",  // 75
    "pohyb: šípky, myš",  // 76
    "primárny útok: space, ctrl, num.pad 5, ľavé tl. myši",  // 77
    "sekundárny útok: enter, alt, ins, pravé tl. myši",  // 78
    "zrýchlenie: w, pgUp",  // 79
    "spomalenie: s, pgDown",  // 80
    "kamera: F1, F2",  // 81
    Credits1,
    Credits2,
    "Po  poslednej  porážke   sa",  // 84
    "sily   nepriateľa    značne",  // 85
    "oslabili. Svet je na chvíľu",  // 86
    "zachránený a  Quintara sa",  // 87
    "môže šíriť ďalej...",  // 88
    "",  // 89
};

}  // namespace

std::string TextEntryUtf8(uint8_t language, int entry) {
  if (entry < 0 || entry >= FilledCount) return {};
  return language == 0 ? English[entry] : Slovak[entry];
}

uint8_t TextLanguage = 0;

void SelectLanguage(uint8_t language) {
  TextLanguage = language == 0 ? 0 : 1;
  for (int entry = 0; entry < TextCount; ++entry) {
    // Every text is known to have a cp1250 form; the tests check each one.
    std::optional<std::string> text = Utf8ToCp1250(TextEntryUtf8(language, entry));
    if (!text) throw std::logic_error("text entry " + std::to_string(entry) + " has no cp1250 form");
    TextTable[entry] = *text;
  }
}
