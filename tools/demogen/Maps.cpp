// Scripts and locations of the demo world: the junkyard by the old highway
// (loc01), the industrial yard behind its east gate (loc02) and the ruined
// town behind the yard's south gate (loc03). The maps are
// written by the game's own location-file writer; walls, containers, floors
// and roads come from the same tables the location pictures were drawn from.
#include <string>
#include <vector>

#include "DemoGen.h"
#include "Layout.h"
#include "Story.h"
#include "world/MapFormat.h"

namespace demogen {

namespace {

enum THitType : uint8_t { HitSand = 0, HitMetal = 1, HitConcrete = 2 };

// A script is built from nodes; a node from steps. A step is one token; "@KEY token"
// gives the step a label of its own for GOTO, the others are numbered. Literals are
// written in upper case: the game upper-cases them anyway, and so they read as they run.
using TSteps = std::vector<std::string>;

TSteps operator+(TSteps a, const TSteps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Node(std::string_view name, const TSteps& steps) {
    std::string s = "[" + std::string(name) + "]\n";
    int n = 0;
    for (const std::string& step : steps) {
        ++n;
        if (step.size() > 1 && step[0] == '@') {
            const size_t space = step.find(' ');
            s += step.substr(1, space - 1) + "=" + step.substr(space + 1) + "\n";
        } else {
            s += std::to_string(n) + "=" + step + "\n";
        }
    }
    return s;
}

std::string Num(int v) {
    return std::to_string(v);
}

// Pushes 1 when the player stands farther than `tiles` from the script's owner.
TSteps PlayerFartherThan(int tiles) {
    return {"0",    "0",        "GETX", "0",    "0",    "GETY",     "SELFTYPE", "SELF",
            "GETX", "SELFTYPE", "SELF", "GETY", "DIST", Num(tiles), "G"};
}
// Runs `far` when the player is out of reach and `near` otherwise (local 0 keeps the answer).
TSteps WithinReach(std::string_view near, std::string_view far) {
    return TSteps{"0"} + PlayerFartherThan(story::ReachTiles) +
           TSteps{"SETLVAR", "0",       "GETLVAR", std::string(far),  "IFCALL",
                  "0",       "GETLVAR", "NOT",     std::string(near), "IFCALL"};
}
TSteps SetGlobal(int g, int v) {
    return {Num(g), Num(v), "SETGVAR"};
}
// Runs node `then` when global g equals v.
TSteps IfGlobal(int g, int v, std::string_view then) {
    return {Num(g), "GETGVAR", Num(v), "EQU", std::string(then), "IFCALL"};
}
TSteps Console(std::string_view text) {
    return {std::string(text), "ADDCONSOLE"};
}
TSteps Question(std::string_view text) {
    return {std::string(text), "QUESTION"};
}
TSteps Answer(std::string_view text, std::string_view node) {
    return {std::string(text), std::string(node), "ANSWER"};
}
// The dead remember it across locations: global DeadBase + own index (the location sets GDeadBase).
TSteps MarkDead() {
    return {Num(story::GDeadBase), "GETGVAR", "SELF", "ADD", "1", "SETGVAR"};
}

using namespace story;

// A gate: near enough and unlocked, it keeps the player's hit points and rounds
// in globals, loads the next location and puts the player at its gate.
std::string Gate(std::string_view what, std::string_view map, TSpot arrive, int scrollX, int scrollY,
                 int lockGlobal = 0, std::string_view lockedText = "") {
    std::string s = "; " + std::string(what) + "\n";
    s += Node("OnClick", WithinReach("OPEN", "FAR"));
    s += Node("Far", Console("Ворота слишком далеко: подойдите к ним вплотную."));
    if (lockGlobal) {
        s += Node("Open",
                  {Num(lockGlobal), "GETGVAR", "GO", "IFCALL", Num(lockGlobal), "GETGVAR", "NOT", "LOCKED", "IFCALL"});
        s += Node("Locked", TSteps{"BEEP", "PLAYSOUND"} + Console(lockedText));
    }
    s += Node(lockGlobal ? "Go" : "Open",
              TSteps{Num(GPlayerHp),   "0",          "GETHP",    "SETGVAR",     Num(GPlayerAmmo), "0",
                     "GETAMMO",        "1",          "ADD",      "SETGVAR",     "DOOR",           "PLAYSOUND",
                     std::string(map), "LOADMAP",    "0",        Num(arrive.X), Num(arrive.Y),    "MOVETO",
                     Num(scrollX),     Num(scrollY), "SETSCROLL"});
    return s;
}

// A location's own script: it names where its dead flags start, lays its dead
// back down, gives the player back what it carried through the gate, greets.
std::string LocationScript(std::string_view what, int location, int critters, std::string_view greeting,
                           const TSteps& moreCreate = {}, const std::string& extra = "") {
    TSteps create = SetGlobal(GDeadBase, DeadBase(location));
    std::string nodes;
    for (int i = 1; i < critters; ++i) {
        create = create + TSteps{Num(DeadBase(location) + i), "GETGVAR", "DEAD" + Num(i), "IFCALL"};
        nodes += Node("Dead" + Num(i), {Num(i), "MAKEDEAD", Num(i), "0", "SETHP"});
    }
    create = create + TSteps{Num(GPlayerHp), "GETGVAR", "0", "G", "RESTORE", "IFCALL"} + Console(greeting) + moreCreate;
    std::string s = "; " + std::string(what) + "\n" + Node("OnCreate", create) + nodes;
    s += Node("Restore", {"0", Num(GPlayerHp), "GETGVAR", "SETHP", "0", Num(GPlayerAmmo), "GETGVAR", "1", "SUB",
                          "SETAMMO", Num(GPlayerHp), "0", "SETGVAR"});
    return s + extra;
}

// A hostile that attacks once the player comes within `sight` tiles; one laid
// down by its location (hit points 0) stays quiet.
std::string Hostile(std::string_view what, int ammo, int sight, std::string_view spotted, const TSteps& onHit,
                    const TSteps& onDie, const std::string& extra = "") {
    std::string s = "; " + std::string(what) + "\n";
    s += Node("OnCreate", {"SELF", Num(ammo), "SETAMMO", "700", "SETTIMER"});
    s += Node("OnTimer",
              TSteps{"SELF", "GETHP", "0", "G", "LOOK", "IFCALL", "SELF", "GETHP", "1", "L", "QUIET", "IFCALL"});
    s += Node("Look",
              TSteps{"0"} + PlayerFartherThan(sight - 1) + TSteps{"SETLVAR", "0", "GETLVAR", "NOT", "SPOT", "IFCALL"});
    s += Node("Quiet", {"DISABLETIMER"});
    s += Node("Spot", TSteps{"SELF", "0", "SETVICTIM"} + Console(spotted) + TSteps{"DISABLETIMER"});
    s += Node("OnHit", TSteps{"SELF", "0", "SETVICTIM", "DISABLETIMER"} + onHit);
    s += Node("OnDie", onDie + MarkDead());
    return s + extra;
}

struct TScriptFile {
    std::string Name, Text;
};

std::vector<TScriptFile> Scripts() {
    std::vector<TScriptFile> all;
    all.push_back({"obj_def", "; Default script of critters and objects: no events of its own.\n"});
    all.push_back({"player", "; The player arrives armed; a location gives back what was carried through its gate.\n" +
                                 Node("OnCreate", {"SELF", "200", "SETAMMO"})});

    // The junkyard.
    all.push_back(
        {"loc01",
         LocationScript(
             "The junkyard: a greeting, then a look at the player's health every eight seconds.", 1, 6,
             "Свалка у старой трассы. Торговец ждёт в бункере, рейдеры держат перекрёсток. "
             "Правая кнопка мыши - прицел.",
             {"8000", "SETTIMER"},
             Node("OnTimer", {"0", "GETHP", "20", "L", "WARN", "IFCALL"}) +
                 Node("Warn", Console("Здоровье на исходе! Отойдите в укрытие.") + TSteps{"ALARM", "PLAYSOUND"}))});

    const TSteps traderAnswers = Answer("Что слышно на трассе?", "NEWS") + Answer("Как тут выжить?", "TIPS") +
                                 Answer("Мне бы патронов.", "AMMO") + Answer("Бывай.", "BYE");
    all.push_back(
        {"trader", "; The trader in the bunker: news, a lesson in shooting, and fifty rounds once per game.\n" +
                       Node("OnClick", TSteps{"TRADER", "STARTDIALOG"} + IfGlobal(GTraderStep, 0, "FIRST") +
                                           IfGlobal(GTraderStep, 1, "AGAIN")) +
                       Node("First", Question("Чего тебе, бродяга? Железо, патроны, новости - всё есть, было бы чем "
                                              "платить.") +
                                         traderAnswers) +
                       Node("Again", Question("Опять ты? Главарь всё так же сидит в промзоне. Спрашивай, что надо.") +
                                         traderAnswers) +
                       Node("News", TSteps{"TRADER2", "1500", "CHANGEHEAD"} + SetGlobal(GTraderStep, 1) +
                                        Question("Рейдеры держат перекрёсток, а их главарь засел в промзоне за "
                                                 "восточными воротами. Ключ от южных ворот промзоны он носит на поясе, "
                                                 "а за ними - старый город.") +
                                        Answer("Как тут выжить?", "TIPS") + Answer("Мне бы патронов.", "AMMO") +
                                        Answer("Понятно. Бывай.", "BYE")) +
                       Node("Tips", Question("Правой кнопкой бери ствол на изготовку - курсор станет прицелом, левой "
                                             "стреляй. Жми коротко, по два-три выстрела, и подходи шагов на пять: чем "
                                             "длиннее очередь и дальше цель, тем шире разброс, весь магазин уйдёт в "
                                             "песок.") +
                                        Answer("Что слышно на трассе?", "NEWS") + Answer("Мне бы патронов.", "AMMO") +
                                        Answer("Спасибо. Бывай.", "BYE")) +
                       Node("Ammo", IfGlobal(GAmmoGiven, 1, "GIVEN") + IfGlobal(GAmmoGiven, 0, "GIVE")) +
                       Node("Give", TSteps{"0", "0", "GETAMMO", "50", "ADD", "SETAMMO"} + SetGlobal(GAmmoGiven, 1) +
                                        TSteps{"PICKUP", "PLAYSOUND"} +
                                        Question("Держи полсотни. И не трать на ворон.") + Answer("Спасибо.", "BYE")) +
                       Node("Given", Question("Я уже дал тебе патронов. Больше нет.") + Answer("Ладно.", "BYE")) +
                       Node("Bye", {"ENDDIALOG"}) + Node("OnDie", MarkDead())});

    all.push_back({"raider", Hostile("A raider attacks when the player comes within ten tiles.", 80, 10,
                                     "Рейдер заметил вас!", {},
                                     Console("Рейдер повержен.") + TSteps{Num(GRaidersKilled), Num(GRaidersKilled),
                                                                          "GETGVAR", "1", "ADD", "SETGVAR"})});
    all.push_back(
        {"guard", "; The watchman walks along the wall and back; local 0 says which way.\n" +
                      Node("OnCreate", {"4000", "SETTIMER"}) +
                      Node("OnTimer", {"0",     "GETLVAR",     "BACK",      "IFGOTO",      "SELF",       "36",
                                       "40",    "GOTOXY",      "0",         "1",           "SETLVAR",    "END",
                                       "GOTO",  "@BACK SELF",  "@B2 48",    "@B3 40",      "@B4 GOTOXY", "@B5 0",
                                       "@B6 0", "@B7 SETLVAR", "@END 4000", "@E2 SETTIMER"}) +
                      Node("OnClick", Console("Сторож молча смотрит сквозь вас.")) + Node("OnDie", MarkDead())});
    all.push_back({"terminal", "; The bunker terminal: the patrol's notes on shooting, within reach only.\n" +
                                   Node("OnClick", WithinReach("READ", "FAR")) +
                                   Node("Far", Console("До терминала не дотянуться: подойдите ближе.")) +
                                   Node("Read", TSteps{"BEEP", "PLAYSOUND"} +
                                                    Console("Терминал: \"ПАМЯТКА ПАТРУЛЮ: ПРАВАЯ КНОПКА - ПРИЦЕЛ, "
                                                            "ЛЕВАЯ - ОГОНЬ. БИТЬ КОРОТКИМИ ОЧЕРЕДЯМИ С БЛИЗКОЙ "
                                                            "ДИСТАНЦИИ\". Ниже: \"ВОРОТА НА ВОСТОКЕ ОТКРЫТЫ\"."))});
    all.push_back({"exit01", Gate("The east gate: on to the industrial yard, arriving at its west end.", "LOC02",
                                  Loc02FromJunkyard, 0, -300)});

    // The industrial yard.
    all.push_back({"loc02", LocationScript("The industrial yard at night.", 2, 5,
                                           "Промзона. Где-то в караулке на востоке засел главарь рейдеров.")});
    all.push_back({"exit02", Gate("Back to the junkyard by its east gate.", "LOC01", Loc01FromYard, -800, -300)});
    all.push_back(
        {"exit03", Gate("The south gate of the yard: locked until the chief's key is taken.", "LOC03", Loc03FromYard,
                        -400, 0, GChiefDead, "Южные ворота заперты. Ключ - у главаря рейдеров.")});
    all.push_back({"boss", Hostile("The raider chief: he carries the key of the south gate.", 150, 14,
                                   "Главарь: \"Ещё один с трассы? Ну иди сюда!\"",
                                   TSteps{"SELF", "GETHP", "40", "L", "ROAR", "IFCALL"},
                                   Console("Главарь рейдеров повержен. На его поясе - ключ от южных ворот.") +
                                       SetGlobal(GChiefDead, 1) + TSteps{"EXPLOSION", "PLAYSOUND"},
                                   Node("Roar", Console("Главарь: \"Ты об этом пожалеешь!\"")))});
    const TSteps elderAnswers =
        Answer("Кто ты такой?", "WHO") + Answer("Я ранен. Поможешь?", "HEAL") + Answer("Я справлюсь.", "BYE");
    all.push_back(
        {"elder",
         "; The old man by the fire: the way south, his story, and one dressing of wounds.\n" +
             Node("OnClick", TSteps{"ELDER", "STARTDIALOG"} + IfGlobal(GElderStep, 0, "FIRST") +
                                 IfGlobal(GElderStep, 1, "AGAIN")) +
             Node("First", Question("Ты пришёл с трассы? Тогда слушай: главарь сидит в караулке на востоке, а ключ от "
                                    "южных ворот носит при себе. За воротами - старый город, и кто-то там ещё жив.") +
                               elderAnswers) +
             Node("Again", Question("Снова у моего огня? Главарь - в караулке, ключ - у него. Радио на складе иногда "
                                    "ловит голос из старого города.") +
                               elderAnswers) +
             Node("Who", TSteps{"ELDER2", "2000", "CHANGEHEAD"} + SetGlobal(GElderStep, 1) +
                             Question("Когда-то я водил караваны по этой трассе. Теперь я просто старик у огня и "
                                      "слушаю радио по ночам.") +
                             Answer("Прощай.", "BYE")) +
             Node("Heal", IfGlobal(GElderHealed, 1, "HEALED") + IfGlobal(GElderHealed, 0, "DRESS")) +
             Node("Dress", TSteps{"0", "100", "SETHP"} + SetGlobal(GElderHealed, 1) + TSteps{"PICKUP", "PLAYSOUND"} +
                               Question("Садись к огню. Вот так... Повязка чистая, до города дотянешь.") +
                               Answer("Спасибо.", "BYE")) +
             Node("Healed", Question("Бинтов больше нет, сынок. Береги себя.") + Answer("Ладно.", "BYE")) +
             Node("Bye", {"ENDDIALOG"}) + Node("OnDie", MarkDead())});
    all.push_back({"radio", "; The warehouse radio catches Yakov's call from the old town.\n" +
                                Node("OnClick", WithinReach("LISTEN", "FAR")) +
                                Node("Far", Console("Радио слишком далеко: подойдите ближе.")) +
                                Node("Listen", TSteps{"RADIO", "PLAYSOUND"} + SetGlobal(GRadioHeard, 1) +
                                                   Console("Радио: \"Говорит Яков, старый город к югу от промзоны. "
                                                           "Передатчик цел, нужен человек. Ключ от южных ворот - у "
                                                           "главаря\"."))});

    // The ruined town.
    all.push_back({"loc03", LocationScript("The ruined town at dusk.", 3, 4,
                                           "Старый город. Солнце садится за руины, над домом на северо-востоке "
                                           "торчит антенна.")});
    all.push_back(
        {"exit04", Gate("The town's north gate, back to the yard's south gate.", "LOC02", Loc02FromTown, -500, -600)});
    all.push_back({"looter", Hostile("A looter of the town: guards the battery in the south-east ruin.", 60, 9,
                                     "Мародёр: \"Это наш город!\"", {},
                                     Console("Мародёр повержен.") + TSteps{Num(GRaidersKilled), Num(GRaidersKilled),
                                                                           "GETGVAR", "1", "ADD", "SETGVAR"})});
    const TSteps yakovAnswers =
        Answer("Кого можно позвать?", "CHOOSE") + Answer("Тебе нужна помощь?", "TASK") + Answer("Потом.", "BYE");
    all.push_back(
        {"yakov",
         "; Yakov and his transmitter: the errand for the battery and the choice the ending follows.\n" +
             // "Again" is looked at first: Meet sets the step, and a later check would replace his first words.
             Node("OnClick", TSteps{"YAKOV", "STARTDIALOG", Num(GYakovStep), "GETGVAR", "0", "G", "AGAIN", "IFCALL"} +
                                 IfGlobal(GYakovStep, 0, "MEET")) +
             Node("Meet", SetGlobal(GYakovStep, 1) +
                              Question("Стой! ...Нет, ты не из банды. Я Яков, держу здесь передатчик. Если главарь "
                                       "рейдеров мёртв, пустошь можно позвать сюда. Вопрос - кого.") +
                              yakovAnswers) +
             Node("Again", Question("Ну что, решил? Передатчик у северной стены, он ждёт.") + yakovAnswers +
                               TSteps{Num(GBattery), "GETGVAR", "1", "EQU", "OFFER", "IFCALL"}) +
             Node("Offer", Answer("Вот аккумулятор.", "REWARD")) +
             Node("Task", IfGlobal(GYakovStep, 3, "THANKS") +
                              TSteps{Num(GYakovStep), "GETGVAR", "3", "L", "ERRAND", "IFCALL"}) +
             Node("Errand", Question("Передатчик еле тянет: старый аккумулятор сел. Свежий лежит в руинах на "
                                     "юго-востоке, в ящике у мародёров. Принесёшь - дам аптечку и патронов.") +
                                Answer("Принесу.", "ACCEPT") + Answer("Кого можно позвать?", "CHOOSE")) +
             Node("Accept", TSteps{Num(GYakovStep), "GETGVAR", "2", "L", "TAKE", "IFCALL", "ENDDIALOG"}) +
             Node("Take", SetGlobal(GYakovStep, 2)) +
             Node("Thanks",
                  Question("Ты уже помог. Теперь дело за передатчиком.") + Answer("Кого можно позвать?", "CHOOSE")) +
             Node("Reward",
                  SetGlobal(GYakovStep, 3) + SetGlobal(GBattery, 2) +
                      TSteps{"0", "100", "SETHP", "0", "0", "GETAMMO", "100", "ADD", "SETAMMO", "PICKUP", "PLAYSOUND"} +
                      Question("Живой аккумулятор! Держи аптечку и сотню патронов. Теперь сигнал добьёт "
                               "до самого побережья.") +
                      Answer("Кого можно позвать?", "CHOOSE") + Answer("Бывай.", "BYE")) +
             Node("Choose", Question("Передатчик достанет до убежища у моря. Позову людей - город оживёт, но сюда "
                                     "придут и чужие. Промолчу - город останется нашим тайником. Решай, ты прошёл "
                                     "трассу.") +
                                Answer("Зови людей. Пусть город оживёт.", "CALLIN") +
                                Answer("Молчи. Город должен остаться тайной.", "HIDE")) +
             Node("CallIn",
                  SetGlobal(GChoice, 1) +
                      Question("Будь по-твоему. Включай передатчик у северной стены - я скажу, что говорить.") +
                      Answer("Иду.", "BYE")) +
             Node("Hide", SetGlobal(GChoice, 2) +
                              Question("Тогда передам только одно: дорога через промзону свободна. Включай передатчик "
                                       "у северной стены.") +
                              Answer("Иду.", "BYE")) +
             Node("Bye", {"ENDDIALOG"}) + Node("OnDie", MarkDead())});
    all.push_back({"battery", "; The battery in the looters' den: Yakov's errand.\n" +
                                  Node("OnCreate", {Num(GBattery), "GETGVAR", "0", "G", "EMPTY", "IFCALL"}) +
                                  Node("Empty", {"SELFTYPE", "SELF", "1", "DISABLE"}) +
                                  Node("OnClick", WithinReach("TAKE", "FAR")) +
                                  Node("Far", Console("Ящик слишком далеко: подойдите ближе.")) +
                                  Node("Take", SetGlobal(GBattery, 1) + TSteps{"PICKUP", "PLAYSOUND"} +
                                                   Console("Вы достали из ящика тяжёлый аккумулятор. Яков будет рад.") +
                                                   TSteps{"SELFTYPE", "SELF", "1", "DISABLE"})});
    // The ending: the transmitter sends what the player chose; the text stays on screen until the player closes it.
    const char* endings[2][2] = {
        {"Яков берёт микрофон: \"Убежище у моря, говорит старый город. Трасса свободна, главарь рейдеров мёртв. "
         "Идите к нам - здесь есть стены, вода и место для всех\". Сигнал слабый, но через неделю на трассе "
         "показываются первые повозки. Город оживает.",
         "Яков берёт микрофон: \"Убежище у моря, говорит старый город. Трасса свободна, главарь рейдеров мёртв. "
         "Идите к нам - здесь есть стены, вода и место для всех\". Новый аккумулятор несёт сигнал до самого "
         "побережья: через три дня к воротам подходит первый караван. Город оживает."},
        {"Яков передаёт короткое: \"Дорога через промзону свободна\" - и выключает передатчик. Город остаётся "
         "тайной. Вы уходите по трассе на рассвете; за спиной у руин тихо горят костры.",
         "Яков передаёт короткое: \"Дорога через промзону свободна\" - и выключает передатчик. С новым "
         "аккумулятором он будет слушать эфир каждую ночь и знать, кто идёт по трассе. Город остаётся тайной, "
         "а вы уходите на рассвете."}};
    std::string transmitter =
        "; Yakov's transmitter: the ending follows his question (global 8) and the battery (global 7).\n" +
        Node("OnClick", WithinReach("USE", "FAR")) +
        Node("Far", Console("Передатчик слишком далеко: подойдите ближе.")) +
        Node("Use", IfGlobal(GChoice, 0, "WAIT") + TSteps{Num(GChoice), "GETGVAR", "0", "G", "SEND", "IFCALL"}) +
        Node("Wait", TSteps{"BEEP", "PLAYSOUND"} + Console("Передатчик ждёт настройки. Поговорите с Яковом.")) +
        Node("Send",
             TSteps{"RADIO", "PLAYSOUND", "YAKOV", "STARTDIALOG"} +
                 // 2 * choice + (battery given), 2 .. 5
                 TSteps{"1", Num(GChoice), "GETGVAR", "2", "MUL", Num(GBattery), "GETGVAR", "2", "EQU", "ADD",
                        "SETLVAR"} +
                 TSteps{"1", "GETLVAR", "2", "EQU", "END2", "IFCALL", "1", "GETLVAR", "3", "EQU", "END3", "IFCALL",
                        "1", "GETLVAR", "4", "EQU", "END4", "IFCALL", "1", "GETLVAR", "5", "EQU", "END5", "IFCALL"} +
                 Answer("Конец.", "FIN"));
    for (int choice = 0; choice < 2; ++choice)
        for (int battery = 0; battery < 2; ++battery)
            transmitter += Node("End" + Num(2 * (choice + 1) + battery), Question(endings[choice][battery]));
    transmitter += Node("Fin", {"ENDDIALOG", "SHOWCREDITS"});
    all.push_back({"transmitter", transmitter});
    return all;
}

TCell& CellAt(TMapData& map, int x, int y) {
    return map.Grid[size_t(x) * MapRows + size_t(y)];
}

void Paint(TMapData& map, std::span<const TTileRect> rects, bool block, uint8_t hitType) {
    for (const TTileRect& r : rects)
        for (int x = r.X; x < r.X + r.W; ++x)
            for (int y = r.Y; y < r.Y + r.H; ++y) {
                if (!TGrid::Inside(x, y)) continue;
                TCell& c = CellAt(map, x, y);
                if (block) c.WalkBlock = c.ShootBlock = 1;
                c.HitType = hitType;
            }
}

// The ground of a location: floors and roads ring like concrete, walls and
// containers stop both feet and bullets.
TMapData Ground(const TLocationLayout& layout, const std::string& mapScript) {
    TMapData map;
    map.PatternName = std::string(layout.Pattern);
    map.MapScript = mapScript;
    Paint(map, layout.Floors, false, HitConcrete);
    Paint(map, layout.Roads, false, HitConcrete);
    Paint(map, layout.Walls, true, HitConcrete);
    Paint(map, layout.Metal, true, HitMetal);
    return map;
}

TMapCritter Critter(const char* label, const char* skin, int x, int y, int dir, int hp, int dmgMin, int dmgMax,
                    int accuracy, const char* script) {
    TMapCritter c;
    c.Label = label;
    c.Skin = skin;
    c.StartX = x;
    c.StartY = y;
    c.Direction = dir;
    c.HP = hp;
    c.DmgMin = dmgMin;
    c.DmgMax = dmgMax;
    c.Accuracy = accuracy;
    c.ScriptName = script;
    return c;
}

// An object; `footprint` tiles around it (left/right, and rows above) block walking and shots.
void AddObject(TMapData& map, const char* label, const char* image, int x, int y, const char* script = "",
               int offsetX = 0, int offsetY = 0, int halfWidth = -1, int rowsUp = 0) {
    TMapObject o;
    o.Label = label;
    o.ImageName = image;
    o.X = x;
    o.Y = y;
    o.OffsetX = offsetX;
    o.OffsetY = offsetY;
    o.ScriptName = script;
    map.Objects.push_back(o);
    for (int dx = -halfWidth; dx <= halfWidth; ++dx)
        for (int dy = -rowsUp; dy <= 0; ++dy)
            if (halfWidth >= 0 && TGrid::Inside(x + dx, y + dy)) {
                TCell& c = CellAt(map, x + dx, y + dy);
                c.WalkBlock = 1;
                c.ShootBlock = 1;
                c.HitType = HitMetal;
            }
}

// Sure with the first shots of a short burst from five tiles; long bursts and range scatter.
constexpr int PlayerAccuracy = 95;

TMapData Junkyard() {
    TMapData map = Ground(Layouts[0], "loc01");
    map.Critters = {
        Critter("Игрок", "metal", 64, 26, 5, 100, 3, 6, PlayerAccuracy, "player"),
        Critter("Торговец", "nomad", Trader.X, Trader.Y, 6, 60, 2, 4, 40, "trader"),
        Critter("Рейдер", "raider", 45, 48, 2, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 40, 66, 1, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 54, 74, 0, 30, 2, 4, 55, "raider"),
        Critter("Сторож", "nomad", 42, 40, 3, 80, 2, 4, 50, "guard"),
    };
    AddObject(map, "Терминал", "terminal", 72, 17, "terminal", 0, 0, 0);
    AddObject(map, "Бочка с огнём", "fire_barrel", 56, 38, "", 0, 0, 0);
    AddObject(map, "Дым", "smoke", 56, 35, "", 0, -10);
    AddObject(map, "Ворота", "door", Loc01EastGate.X, Loc01EastGate.Y, "exit01", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 61, 31, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 62, 31, "", 0, 0, 0);
    AddObject(map, "Бочка", "barrel", 74, 31, "", 0, 0, 0);
    AddObject(map, "Ядовитая бочка", "barrel_toxic", 12, 60, "", 0, 0, 0);
    AddObject(map, "Остов машины", "car_wreck", 30, 60, "", 0, 0, 2, 1);
    AddObject(map, "Покрышки", "tyres", 33, 64, "", 0, 0, 0);
    AddObject(map, "Куча лома", "scrap_pile", 24, 50, "", 0, 0, 1);
    AddObject(map, "Фонарь", "lamp_post", 52, 55, "", 0, 0, 0);
    AddObject(map, "Маяк", "beacon", 50, 10, "", 0, 0, 0);
    return map;
}

TMapData Yard() {
    TMapData map = Ground(Layouts[1], "loc02");
    map.Critters = {
        Critter("Игрок", "metal", Loc02FromJunkyard.X, Loc02FromJunkyard.Y, 3, 100, 3, 6, PlayerAccuracy, "player"),
        Critter("Главарь", "raider", Chief.X, Chief.Y, 6, 120, 4, 6, 70, "boss"),
        Critter("Рейдер", "raider", 45, 40, 5, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 60, 64, 7, 30, 2, 4, 55, "raider"),
        // By the fire barrel, clear of the lamp posts, so a click on him finds him.
        Critter("Старик", "nomad", Elder.X, Elder.Y, 6, 50, 2, 4, 30, "elder"),
    };
    for (const TTileRect& light : Layouts[1].Lights)
        AddObject(map, "Фонарь", "lamp_post", light.X, light.Y, "", 0, 0, 0);
    AddObject(map, "Радио", "terminal", Radio.X, Radio.Y, "radio", 0, 0, 0);
    AddObject(map, "Бочка с огнём", "fire_barrel", 22, 50, "", 0, 0, 0);
    AddObject(map, "Дым", "smoke", 22, 47, "", 0, -10);
    AddObject(map, "Ворота", "door", Loc02WestGate.X, Loc02WestGate.Y, "exit02", 0, 0, 0);
    AddObject(map, "Южные ворота", "door", Loc02SouthGate.X, Loc02SouthGate.Y, "exit03", 0, 0, 0);
    AddObject(map, "Бочка", "barrel", 38, 44, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 26, 30, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 27, 30, "", 0, 0, 0);
    AddObject(map, "Ядовитая бочка", "barrel_toxic", 55, 96, "", 0, 0, 0);
    AddObject(map, "Куча лома", "scrap_pile", 30, 90, "", 0, 0, 1);
    AddObject(map, "Маяк", "beacon", 76, 58, "", 0, 0, 0);
    return map;
}

TMapData Town() {
    TMapData map = Ground(Layouts[2], "loc03");
    map.Critters = {
        Critter("Игрок", "metal", Loc03FromYard.X, Loc03FromYard.Y, 5, 100, 3, 6, PlayerAccuracy, "player"),
        Critter("Яков", "radioman", Yakov.X, Yakov.Y, 5, 60, 2, 4, 60, "yakov"),
        Critter("Мародёр", "raider", 58, 88, 3, 35, 2, 4, 55, "looter"),
        Critter("Мародёр", "raider", 64, 94, 7, 35, 2, 4, 55, "looter"),
    };
    static_assert(YakovIndex == 1 && Looter1Index == 2 && Looter2Index == 3);
    AddObject(map, "Ворота", "door", Loc03NorthGate.X, Loc03NorthGate.Y, "exit04", 0, 0, 0);
    AddObject(map, "Передатчик", "terminal", Transmitter.X, Transmitter.Y, "transmitter", 0, 0, 0);
    AddObject(map, "Ящик с аккумулятором", "crate", Battery.X, Battery.Y, "battery", 0, 0, 0);
    for (const TTileRect& fire : Layouts[2].Lights) {
        AddObject(map, "Костёр в бочке", "fire_barrel", fire.X, fire.Y, "", 0, 0, 0);
        AddObject(map, "Дым", "smoke", fire.X, fire.Y - 3, "", 0, -10);
    }
    AddObject(map, "Маяк", "beacon", 51, 17, "", 0, 0, 0);
    AddObject(map, "Остов машины", "car_wreck", 20, 64, "", 0, 0, 2, 1);
    AddObject(map, "Остов машины", "car_wreck", 56, 94, "", 0, 0, 2, 1);
    AddObject(map, "Покрышки", "tyres", 46, 30, "", 0, 0, 0);
    AddObject(map, "Куча лома", "scrap_pile", 16, 24, "", 0, 0, 1);
    AddObject(map, "Куча лома", "scrap_pile", 28, 88, "", 0, 0, 1);
    AddObject(map, "Бочка", "barrel", 69, 22, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 52, 22, "", 0, 0, 0);
    AddObject(map, "Ядовитая бочка", "barrel_toxic", 10, 90, "", 0, 0, 0);
    return map;
}

}  // namespace

void WriteWorld(const TOutput& out) {
    for (const TScriptFile& s : Scripts()) out.WriteText("data/scripts/" + s.Name + ".sc", s.Text);
    out.WriteBytes("data/locations/loc01.map", SerializeMap(Junkyard()));
    out.WriteBytes("data/locations/loc02.map", SerializeMap(Yard()));
    out.WriteBytes("data/locations/loc03.map", SerializeMap(Town()));
}

}  // namespace demogen
