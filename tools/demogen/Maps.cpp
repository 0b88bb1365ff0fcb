// Scripts and locations of the demo world: the junkyard by the old highway
// (loc01) and the industrial yard behind its east gate (loc02). The maps are
// written by the game's own location-file writer; walls, containers, floors
// and roads come from the same tables the location pictures were drawn from.
#include <string>
#include <vector>

#include "DemoGen.h"
#include "Layout.h"
#include "world/MapFormat.h"

namespace demogen {

namespace {

enum THitType : uint8_t { HitSand = 0, HitMetal = 1, HitConcrete = 2 };

struct TScriptFile {
    const char* Name;
    const char* Text;
};

// Every token is one step; literals lose their lower-case Latin letters when
// they run, so portrait and wave names are found whatever their case.
const TScriptFile Scripts[] = {
    {"obj_def", "; Default script of critters and objects: no events of its own.\n"},
    {"player",
     "; The player arrives armed in every location.\n"
     "[OnCreate]\n"
     "1=SELF\n2=200\n3=SETAMMO\n"},
    {"loc01",
     "; The junkyard: a greeting, then a look at the player's health every eight seconds.\n"
     "[OnCreate]\n"
     "1=Свалка у старой трассы. Торговец ждёт в бункере, рейдеры держат перекрёсток.\n"
     "2=ADDCONSOLE\n"
     "3=8000\n"
     "4=SETTIMER\n"
     "[OnTimer]\n"
     "1=0\n2=GETHP\n3=20\n4=L\n5=WARN\n6=IFCALL\n"
     "[Warn]\n"
     "1=Здоровье на исходе! Отойдите в укрытие.\n"
     "2=ADDCONSOLE\n"
     "3=alarm\n"
     "4=PLAYSOUND\n"},
    {"loc02",
     "; The industrial yard at night.\n"
     "[OnCreate]\n"
     "1=Промзона. Где-то в караулке на востоке засел главарь рейдеров.\n"
     "2=ADDCONSOLE\n"
     "3=radio\n"
     "4=PLAYSOUND\n"},
    {"trader",
     "; The trader in the bunker: news, and fifty rounds once per game (global 1).\n"
     "[OnClick]\n"
     "1=trader\n2=STARTDIALOG\n"
     "3=Чего тебе, бродяга? Железо, патроны, новости - всё есть, было бы чем платить.\n4=QUESTION\n"
     "5=Что слышно на трассе?\n6=NEWS\n7=ANSWER\n"
     "8=Мне бы патронов.\n9=AMMO\n10=ANSWER\n"
     "11=Бывай.\n12=BYE\n13=ANSWER\n"
     "[News]\n"
     "1=trader2\n2=1500\n3=CHANGEHEAD\n"
     "4=Рейдеры держат перекрёсток, а их главарь засел в промзоне за восточными воротами. "
     "Говорят, его броня из кабины грузовика.\n5=QUESTION\n"
     "6=А что ещё?\n7=MORE\n8=ANSWER\n"
     "9=Понятно. Бывай.\n10=BYE\n11=ANSWER\n"
     "[More]\n"
     "1=Сторож ходит вдоль стены и ни с кем не говорит. А терминал в бункере иногда ловит чужое радио.\n"
     "2=QUESTION\n3=Бывай.\n4=BYE\n5=ANSWER\n"
     "[Ammo]\n"
     "1=1\n2=GETGVAR\n3=GIVEN\n4=IFCALL\n"
     "5=1\n6=GETGVAR\n7=NOT\n8=GIVE\n9=IFCALL\n"
     "[Give]\n"
     "1=0\n2=0\n3=GETAMMO\n4=50\n5=ADD\n6=SETAMMO\n"
     "7=1\n8=1\n9=SETGVAR\n"
     "10=pickup\n11=PLAYSOUND\n"
     "12=Держи полсотни. И не трать на ворон.\n13=QUESTION\n"
     "14=Спасибо.\n15=BYE\n16=ANSWER\n"
     "[Given]\n"
     "1=Я уже дал тебе патронов. Больше нет.\n2=QUESTION\n"
     "3=Ладно.\n4=BYE\n5=ANSWER\n"
     "[Bye]\n"
     "1=ENDDIALOG\n"},
    {"raider",
     "; A raider waits until the player comes within ten tiles, then attacks.\n"
     "[OnCreate]\n"
     "1=SELF\n2=80\n3=SETAMMO\n4=700\n5=SETTIMER\n"
     "[OnTimer]\n"
     "1=0\n2=0\n3=GETX\n4=0\n5=0\n6=GETY\n"
     "7=SELFTYPE\n8=SELF\n9=GETX\n10=SELFTYPE\n11=SELF\n12=GETY\n"
     "13=DIST\n14=10\n15=L\n16=SPOT\n17=IFCALL\n"
     "[Spot]\n"
     "1=SELF\n2=0\n3=SETVICTIM\n4=Рейдер заметил вас!\n5=ADDCONSOLE\n6=DISABLETIMER\n"
     "[OnHit]\n"
     "1=SELF\n2=0\n3=SETVICTIM\n4=DISABLETIMER\n"
     "[OnDie]\n"
     "1=Рейдер повержен.\n2=ADDCONSOLE\n"
     "3=2\n4=2\n5=GETGVAR\n6=1\n7=ADD\n8=SETGVAR\n"},
    {"guard",
     "; The watchman walks along the wall and back; local 0 says which way.\n"
     "[OnCreate]\n"
     "1=4000\n2=SETTIMER\n"
     "[OnTimer]\n"
     "1=0\n2=GETLVAR\n3=BACK\n4=IFGOTO\n"
     "5=SELF\n6=36\n7=40\n8=GOTOXY\n9=0\n10=1\n11=SETLVAR\n12=END\n13=GOTO\n"
     "BACK=SELF\nB2=48\nB3=40\nB4=GOTOXY\nB5=0\nB6=0\nB7=SETLVAR\n"
     "END=4000\nE2=SETTIMER\n"
     "[OnClick]\n"
     "1=Сторож молча смотрит сквозь вас.\n2=ADDCONSOLE\n"},
    {"terminal",
     "[OnClick]\n"
     "1=beep\n2=PLAYSOUND\n"
     "3=Терминал: \"СВЯЗЬ С ПРОМЗОНОЙ ПОТЕРЯНА. ВОРОТА НА ВОСТОКЕ ОТКРЫТЫ\".\n4=ADDCONSOLE\n"},
    {"exit01",
     "; The east gate: on to the industrial yard, arriving at its west end.\n"
     "[OnClick]\n"
     "1=door\n2=PLAYSOUND\n"
     "3=LOC02\n4=LOADMAP\n"
     "5=0\n6=3\n7=58\n8=MOVETO\n"
     "9=0\n10=-300\n11=SETSCROLL\n"},
    {"exit02",
     "; Back to the junkyard by its east gate.\n"
     "[OnClick]\n"
     "1=door\n2=PLAYSOUND\n"
     "3=LOC01\n4=LOADMAP\n"
     "5=0\n6=75\n7=59\n8=MOVETO\n"
     "9=-800\n10=-300\n11=SETSCROLL\n"},
    {"boss",
     "; The raider chief: attacks when the player comes within fourteen tiles (global 3 = he is dead).\n"
     "[OnCreate]\n"
     "1=SELF\n2=150\n3=SETAMMO\n4=600\n5=SETTIMER\n"
     "[OnTimer]\n"
     "1=0\n2=0\n3=GETX\n4=0\n5=0\n6=GETY\n"
     "7=SELFTYPE\n8=SELF\n9=GETX\n10=SELFTYPE\n11=SELF\n12=GETY\n"
     "13=DIST\n14=14\n15=L\n16=SPOT\n17=IFCALL\n"
     "[Spot]\n"
     "1=SELF\n2=0\n3=SETVICTIM\n4=Главарь: \"Ещё один с трассы? Ну иди сюда!\"\n5=ADDCONSOLE\n6=DISABLETIMER\n"
     "[OnHit]\n"
     "1=SELF\n2=0\n3=SETVICTIM\n4=DISABLETIMER\n"
     "5=SELF\n6=GETHP\n7=40\n8=L\n9=ROAR\n10=IFCALL\n"
     "[Roar]\n"
     "1=Главарь: \"Ты об этом пожалеешь!\"\n2=ADDCONSOLE\n"
     "[OnDie]\n"
     "1=Главарь рейдеров повержен. Включите радио на складе.\n2=ADDCONSOLE\n"
     "3=3\n4=1\n5=SETGVAR\n6=explosion\n7=PLAYSOUND\n"},
    {"elder",
     "[OnClick]\n"
     "1=elder\n2=STARTDIALOG\n"
     "3=Ты пришёл с трассы? Тогда слушай: главарь сидит в караулке на востоке. "
     "Одолеешь его - включи радио на складе, и нас услышат.\n4=QUESTION\n"
     "5=Кто ты такой?\n6=WHO\n7=ANSWER\n"
     "8=Я справлюсь.\n9=BYE\n10=ANSWER\n"
     "[Who]\n"
     "1=raider_boss\n2=2000\n3=CHANGEHEAD\n"
     "4=Когда-то я был таким же, как он. Теперь я просто старик у огня.\n5=QUESTION\n"
     "6=Прощай.\n7=BYE\n8=ANSWER\n"
     "[Bye]\n"
     "1=ENDDIALOG\n"},
    {"radio",
     "; The radio in the warehouse ends the game once the chief is dead.\n"
     "[OnClick]\n"
     "1=3\n2=GETGVAR\n3=WIN\n4=IFGOTO\n"
     "5=Радио молчит. Сначала разберитесь с главарём.\n6=ADDCONSOLE\n7=END\n8=GOTO\n"
     "WIN=radio\nW2=PLAYSOUND\nW3=Вы включаете радио. Пустошь вас слышит.\nW4=ADDCONSOLE\nW5=SHOWCREDITS\n"
     "END=beep\nE2=PLAYSOUND\n"},
};

TCell& CellAt(TMapData& map, int x, int y) { return map.Grid[size_t(x) * MapRows + size_t(y)]; }

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

TMapData Junkyard() {
    TMapData map = Ground(Layouts[0], "loc01");
    map.Critters = {
        Critter("Игрок", "metal", 64, 26, 5, 100, 3, 6, 85, "player"),
        Critter("Торговец", "nomad", 70, 30, 6, 60, 2, 4, 40, "trader"),
        Critter("Рейдер", "raider", 45, 48, 2, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 40, 66, 1, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 54, 74, 0, 30, 2, 4, 55, "raider"),
        Critter("Сторож", "nomad", 42, 40, 3, 80, 2, 4, 50, "guard"),
    };
    AddObject(map, "Терминал", "terminal", 72, 17, "terminal", 0, 0, 0);
    AddObject(map, "Бочка с огнём", "fire_barrel", 56, 38, "", 0, 0, 0);
    AddObject(map, "Дым", "smoke", 56, 35, "", 0, -10);
    AddObject(map, "Ворота", "door", 78, 59, "exit01", 0, 0, 0);
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
        Critter("Игрок", "metal", 3, 58, 3, 100, 3, 6, 85, "player"),
        Critter("Главарь", "raider", 67, 46, 6, 120, 4, 6, 70, "boss"),
        Critter("Рейдер", "raider", 45, 40, 5, 30, 2, 4, 55, "raider"),
        Critter("Рейдер", "raider", 60, 64, 7, 30, 2, 4, 55, "raider"),
        Critter("Старик", "nomad", 20, 50, 4, 50, 2, 4, 30, "elder"),
    };
    for (const TTileRect& light : Layouts[1].Lights) AddObject(map, "Фонарь", "lamp_post", light.X, light.Y, "", 0, 0, 0);
    AddObject(map, "Радио", "terminal", 18, 12, "radio", 0, 0, 0);
    AddObject(map, "Бочка с огнём", "fire_barrel", 22, 50, "", 0, 0, 0);
    AddObject(map, "Дым", "smoke", 22, 47, "", 0, -10);
    AddObject(map, "Ворота", "door", 1, 58, "exit02", 0, 0, 0);
    AddObject(map, "Бочка", "barrel", 38, 44, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 26, 30, "", 0, 0, 0);
    AddObject(map, "Ящик", "crate", 27, 30, "", 0, 0, 0);
    AddObject(map, "Ядовитая бочка", "barrel_toxic", 55, 96, "", 0, 0, 0);
    AddObject(map, "Куча лома", "scrap_pile", 30, 90, "", 0, 0, 1);
    AddObject(map, "Маяк", "beacon", 76, 58, "", 0, 0, 0);
    return map;
}

}  // namespace

void WriteWorld(const TOutput& out) {
    for (const TScriptFile& s : Scripts) out.WriteText(std::string("data/scripts/") + s.Name + ".sc", s.Text);
    out.WriteBytes("data/locations/loc01.map", SerializeMap(Junkyard()));
    out.WriteBytes("data/locations/loc02.map", SerializeMap(Yard()));
}

}  // namespace demogen
