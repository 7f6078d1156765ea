#include "checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <tuple>
#include <unordered_map>

#include "enemies.h"
#include "map.h"

namespace {

bool isstatic(const LevelObject& o) { return o.letter == StaticRecord; }
bool isexit(const LevelObject& o) { return isstatic(o) && o.type == PlayerBaseExit; }
bool isstartbase(const LevelObject& o) { return isstatic(o) && o.type == PlayerBaseStart; }
// The ship and the wibblets: round bodies.
bool isbody(const LevelObject& o) { return o.letter == ShipRecord || o.letter == EnemyRecord; }

const LevelObject* firstship(const CheckedLevel& level) {
  for (const LevelObject& o : level.objects)
    if (o.letter == ShipRecord) return &o;
  return nullptr;
}

// "record 3, hydrogen tank at (700, 420)"
std::string naming(const LevelObject& o) {
  std::ostringstream s;
  s << "record " << o.record << ", " << objectname(o.letter, o.type) << " at (" << o.x << ", " << o.y << ")";
  return s.str();
}

// True when the picture of a base or tank has an opaque pixel at (x, y) of
// the level.
bool covers(const LevelObject& o, int x, int y) {
  return o.sprite && opaquepixel(o.sprite, x - o.picture.x, y - o.picture.y);
}

// True when an opaque pixel of a base or tank picture lies on rock.
bool pictureinrock(const LevelObject& o, BITMAP* rock) {
  const Rect& r = o.picture;
  for (int y = r.y; y < r.y + r.h; y++)
    for (int x = r.x; x < r.x + r.w; x++)
      if (covers(o, x, y) && getpixel(rock, x, y) != 0) return true;
  return false;
}

// True when a disc of radius r centred on (x, y), as discfits draws it,
// meets an opaque pixel of a base or tank picture.
bool discoverlaps(int x, int y, int r, const LevelObject& o) {
  const Rect& p = o.picture;
  if (x + r < p.x || x - r >= p.x + p.w || y + r < p.y || y - r >= p.y + p.h) return false;
  for (int dy = -r; dy <= r; dy++)
    for (int dx = -r; dx <= r; dx++)
      if (dx * dx + dy * dy <= r * r && covers(o, x + dx, y + dy)) return true;
  return false;
}

// True when two bodies touch as the world manager's pair test sees it:
// centres no further apart than the sum of the radii.
bool bodiestouch(const LevelObject& a, const LevelObject& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, reach = double(a.radius) + b.radius;
  return dx * dx + dy * dy <= reach * reach;
}

// The base or tank whose picture covers (x, y), the later one where two do,
// as the later stamp wins in the collision map; null for none.
const LevelObject* staticat(const CheckedLevel& level, int x, int y) {
  const LevelObject* found = nullptr;
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && covers(o, x, y)) found = &o;
  return found;
}

// The start base the ship stands over: the first solid pixel straight below
// its centre, within reach of a gentle drop, belongs to it. Null when that
// pixel is rock or another object, or there is none.
const LevelObject* startbaseof(const CheckedLevel& level, const LevelObject& ship) {
  const int gap = maxstartgap();
  for (int row = ship.y + 1; row <= ship.y + ShipRadiusPixels + gap; row++) {
    if (const LevelObject* o = staticat(level, ship.x, row)) return isstartbase(*o) ? o : nullptr;
    if (getpixel(level.rock, ship.x, row) != 0) return nullptr;
  }
  return nullptr;
}

// Two objects whose touching is a problem: not two wibblets, not two ships.
bool canclash(const LevelObject& a, const LevelObject& b) {
  return a.letter == StaticRecord || b.letter == StaticRecord || a.letter != b.letter;
}

// The opaque pixels of a base or tank picture as rows of bits, so that two
// pictures, or a disc and a picture, are compared 64 pixels at a time.
class Mask {
 public:
  Mask() = default;
  explicit Mask(const LevelObject& o) : x(o.picture.x), y(o.picture.y), w(o.picture.w), h(o.picture.h) {
    words = (w + 63) / 64;
    bits.assign(static_cast<size_t>(words) * h, 0);
    for (int row = 0; row < h; row++)
      for (int col = 0; col < w; col++)
        if (covers(o, x + col, y + row)) bits[row * words + col / 64] |= uint64_t(1) << (col % 64);
  }

  bool empty() const {
    return std::none_of(bits.begin(), bits.end(), [](uint64_t b) { return b != 0; });
  }

  // The opaque pixels of level row `py` from `x0` for `n` (1 to 64)
  // pixels, as bits from the lowest; x0 must lie within the picture.
  uint64_t span(int py, int x0, int n) const {
    const int col = x0 - x, word = col / 64, shift = col % 64, row = (py - y) * words;
    uint64_t b = bits[row + word] >> shift;
    if (shift && word + 1 < words) b |= bits[row + word + 1] << (64 - shift);
    return n == 64 ? b : b & ((uint64_t(1) << n) - 1);
  }

  // True when an opaque pixel of level row `py` lies from x0 to x1.
  bool anyinrow(int py, int x0, int x1) const {
    if (py < y || py >= y + h) return false;
    x0 = std::max(x0, x);
    x1 = std::min(x1, x + w - 1);
    for (int at = x0; at <= x1; at += 64)
      if (span(py, at, std::min(64, x1 - at + 1))) return true;
    return false;
  }

  bool meets(const Mask& o) const {
    const int x0 = std::max(x, o.x), x1 = std::min(x + w, o.x + o.w) - 1;
    for (int py = std::max(y, o.y); py < std::min(y + h, o.y + o.h); py++)
      for (int at = x0; at <= x1; at += 64) {
        const int n = std::min(64, x1 - at + 1);
        if (span(py, at, n) & o.span(py, at, n)) return true;
      }
    return false;
  }

  // As discoverlaps: a disc of radius r centred on (cx, cy).
  bool meetsdisc(int cx, int cy, int r) const {
    for (int dy = -r; dy <= r; dy++) {
      const long long left = static_cast<long long>(r) * r - static_cast<long long>(dy) * dy;
      int dx = static_cast<int>(std::sqrt(static_cast<double>(left)));
      while (static_cast<long long>(dx) * dx > left) dx--;
      while (static_cast<long long>(dx + 1) * (dx + 1) <= left) dx++;
      if (anyinrow(cy + dy, cx - dx, cx + dx)) return true;
    }
    return false;
  }

 private:
  int x = 0, y = 0, w = 0, h = 0, words = 0;
  std::vector<uint64_t> bits;
};

// Copies of one object on one spot, as level files made by hand or by a
// program pile them up; the overlap check compares piles, not objects.
struct Pile {
  const LevelObject* object = nullptr;  // the first of them
  std::vector<int> records;             // ascending
  int left = 0, top = 0, right = -1, bottom = -1;  // where it can touch anything, inclusive
  Mask opaque;                          // a base or tank's picture
  std::vector<int> touching;            // piles it clashes with; itself too when a copy clashes with a copy
};

// touches() for the first objects of two piles.
bool pilestouch(const Pile& a, const Pile& b) {
  const LevelObject &p = *a.object, &q = *b.object;
  if (isbody(p) && isbody(q)) return bodiestouch(p, q);
  if (isbody(p)) return b.opaque.meetsdisc(p.x, p.y, p.radius);
  if (isbody(q)) return a.opaque.meetsdisc(q.x, q.y, q.radius);
  return a.opaque.meets(b.opaque);
}

// Orders objects by everything but their record.
struct SameObject {
  bool operator()(const LevelObject& a, const LevelObject& b) const {
    const Rect &p = a.picture, &q = b.picture;
    return std::tie(a.letter, a.type, a.x, a.y, a.radius, a.sprite, p.x, p.y, p.w, p.h) <
           std::tie(b.letter, b.type, b.x, b.y, b.radius, b.sprite, q.x, q.y, q.w, q.h);
  }
};

std::vector<Pile> makepiles(const CheckedLevel& level) {
  std::vector<Pile> piles;
  std::map<LevelObject, int, SameObject> pileof;
  for (const LevelObject& o : level.objects) {
    auto found = pileof.emplace(o, static_cast<int>(piles.size()));
    if (found.second) {
      Pile pile;
      pile.object = &o;
      if (isbody(o)) {
        pile.left = o.x - o.radius, pile.top = o.y - o.radius, pile.right = o.x + o.radius, pile.bottom = o.y + o.radius;
      } else if (o.sprite) {
        pile.opaque = Mask(o);
        if (!pile.opaque.empty()) {
          pile.left = o.picture.x, pile.top = o.picture.y;
          pile.right = o.picture.x + o.picture.w - 1, pile.bottom = o.picture.y + o.picture.h - 1;
        }
      }
      piles.push_back(pile);
    }
    piles[found.first->second].records.push_back(o.record);
  }
  return piles;
}

// The level cut into squares, each listing the piles that reach into it.
class PileGrid {
 public:
  explicit PileGrid(const std::vector<Pile>& piles) : piles(piles) {
    for (size_t i = 0; i < piles.size(); i++)
      eachcell(piles[i], [&](std::vector<int>& cell) { cell.push_back(int(i)); });
  }

  // Calls `found` with every pile whose area meets that of `pile`, once.
  template <class F>
  void near(const Pile& pile, F found) {
    stamp++;
    eachcell(pile, [&](std::vector<int>& cell) {
      for (int other : cell) {
        if (seen[other] == stamp) continue;
        seen[other] = stamp;
        const Pile& o = piles[other];
        if (o.left <= pile.right && pile.left <= o.right && o.top <= pile.bottom && pile.top <= o.bottom) found(other);
      }
    });
  }

  // The latest base or tank whose picture covers (x, y), as the last stamp
  // wins in the collision map; 0 for none.
  int staticat(int x, int y) {
    Pile point;
    point.left = point.right = x, point.top = point.bottom = y;
    int found = 0;
    near(point, [&](int i) {
      if (isstatic(*piles[i].object) && piles[i].opaque.anyinrow(y, x, x))
        found = std::max(found, piles[i].records.back());
    });
    return found;
  }

 private:
  static constexpr int CellBits = 6;  // squares of 64 pixels

  template <class F>
  void eachcell(const Pile& pile, F f) {
    if (pile.right < pile.left || pile.bottom < pile.top) return;
    for (int cy = pile.top >> CellBits; cy <= pile.bottom >> CellBits; cy++)
      for (int cx = pile.left >> CellBits; cx <= pile.right >> CellBits; cx++)
        f(cells[static_cast<uint64_t>(static_cast<uint32_t>(cy)) << 32 | static_cast<uint32_t>(cx)]);
  }

  const std::vector<Pile>& piles;
  std::unordered_map<uint64_t, std::vector<int>> cells;
  std::vector<int> seen = std::vector<int>(piles.size(), 0);
  int stamp = 0;
};

// Links every two piles that clash and touch, and a pile with itself when
// two of its copies would.
void linkpiles(std::vector<Pile>& piles, PileGrid& grid) {
  for (size_t i = 0; i < piles.size(); i++) {
    const LevelObject& a = *piles[i].object;
    if (piles[i].records.size() > 1 && canclash(a, a) && pilestouch(piles[i], piles[i]))
      piles[i].touching.push_back(int(i));
    grid.near(piles[i], [&](int j) {
      if (j >= int(i) || !canclash(a, *piles[j].object) || !pilestouch(piles[i], piles[j])) return;
      piles[i].touching.push_back(j);
      piles[j].touching.push_back(int(i));
    });
  }
}

// The ship's start base as startbaseof finds it, through the grid.
int startbaseat(const CheckedLevel& level, const LevelObject& ship, PileGrid& grid) {
  const int gap = maxstartgap();
  for (int row = ship.y + 1; row <= ship.y + ShipRadiusPixels + gap; row++) {
    if (int found = grid.staticat(ship.x, row)) return isstartbase(level.objects[found - 1]) ? found : 0;
    if (getpixel(level.rock, ship.x, row) != 0) return 0;
  }
  return 0;
}

// The records a touching pile adds to the overlaps reported on `object`:
// a wibblet or the ship is blamed for every base or tank it touches (the
// ship for wibblets too, its own start base `startbase` apart), a base or
// tank only for those before it.
std::vector<int>::const_iterator blamedupto(const LevelObject& object, const Pile& other) {
  const LevelObject& o = *other.object;
  if (object.letter == StaticRecord) {
    if (o.letter != StaticRecord) return other.records.begin();
    return std::lower_bound(other.records.begin(), other.records.end(), object.record);
  }
  return o.letter == ShipRecord ? other.records.begin() : other.records.end();
}

// Reports the overlaps blamed on one object, in the order of the records
// they name, worded while the list keeps them and counted after.
void reportoverlaps(const CheckedLevel& level, const LevelObject& object, const std::vector<Pile>& piles, int pile,
                    int startbase, ProblemList& problems) {
  long long count = 0;
  std::vector<int> named;
  for (int other : piles[pile].touching) {
    const std::vector<int>& records = piles[other].records;
    const auto upto = blamedupto(object, piles[other]);
    count += upto - records.begin();
    if (startbase && std::binary_search(records.begin(), upto, startbase)) count--;
    // The first few of each pile are all the list could keep.
    const long wordable = std::min<long>(upto - records.begin(), ProblemList::MaxKept + 1);
    if (problems.wants(object.record)) named.insert(named.end(), records.begin(), records.begin() + wordable);
  }
  std::sort(named.begin(), named.end());
  const char* says = object.letter == ShipRecord     ? "the ship overlaps "
                     : object.letter == StaticRecord ? "its picture overlaps "
                                                     : "overlaps ";
  for (int record : named) {
    if (record == startbase) continue;
    if (!problems.wants(object.record)) break;
    problems.push_back({object.record, says + naming(level.objects[record - 1])});
    count--;
  }
  problems.countmore(count);
}

bool startswith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// A check's text with the objects file's words taken out: another object's
// "record 7, exit base at (...)" becomes "the exit base at (...)", and the
// letters " (S record)" and " (T 0)" go.
std::string withoutfileletters(std::string text) {
  for (size_t at = text.find("record "); at != std::string::npos; at = text.find("record ", at + 1)) {
    const size_t end = text.find_first_not_of("0123456789", at + 7);
    if (end != at + 7 && end != std::string::npos && text.compare(end, 2, ", ") == 0)
      text.replace(at, end + 2 - at, "the ");
  }
  for (size_t at = text.find(" ("); at != std::string::npos; at = text.find(" (", at + 1)) {
    const size_t end = text.find(')', at);
    if (end == std::string::npos) break;
    const std::string inside = text.substr(at + 2, end - at - 2);
    if (inside == "S record" || (inside.size() > 2 && inside.compare(0, 2, "T ") == 0)) text.erase(at, end + 1 - at);
  }
  return text;
}

}  // namespace

void ProblemList::push_back(const Problem& problem) {
  const auto at = std::upper_bound(list.begin(), list.end(), problem,
                                   [](const Problem& a, const Problem& b) { return a.record < b.record; });
  if (list.size() == MaxKept && at == list.end()) {
    more++;
    return;
  }
  list.insert(at, problem);
  if (list.size() > MaxKept) {
    list.pop_back();
    more++;
  }
}

void ProblemList::add(const std::vector<Problem>& problems) {
  for (const Problem& p : problems) push_back(p);
}

bool ProblemList::wants(int record) const { return list.size() < MaxKept || record < list.back().record; }

int maxstartgap() {
  Particle probe;  // anything that falls: the speed one second of gravity gives it
  ApplyGravity(&probe, 1.0f);
  return static_cast<int>(HitScale * HitScale / (2.0f * probe.velocity.y));
}

std::vector<LevelObject> describeobjects(const std::vector<GameObject*>& objects) {
  std::vector<LevelObject> described;
  PlacedObject record;
  for (GameObject* obj : objects) {
    if (!recordof(obj, record)) continue;
    LevelObject o;
    o.letter = record.letter;
    o.type = record.type;
    o.x = wholepixel(obj->position.x);
    o.y = wholepixel(obj->position.y);
    if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) {
      o.sprite = s->sprite;
      o.picture = s->area();
    } else if (Ship* ship = dynamic_cast<Ship*>(obj)) {
      o.sprite = ship->sprite;
      o.radius = wholepixel(ship->radius);
    } else if (Enemy* e = dynamic_cast<Enemy*>(obj)) {
      o.sprite = e->sprite;
      o.radius = wholepixel(e->radius);
    }
    if (isbody(o) && o.sprite) o.picture = Rect{o.x - o.sprite->w / 2, o.y - o.sprite->h / 2, o.sprite->w, o.sprite->h};
    o.record = int(described.size()) + 1;
    described.push_back(o);
  }
  return described;
}


void checkshipcount(const CheckedLevel& level, std::vector<Problem>& problems) {
  int ships = 0;
  for (const LevelObject& o : level.objects) {
    if (o.letter != ShipRecord) continue;
    if (++ships > 1) problems.push_back({o.record, "a second ship start (S record); there must be exactly one"});
  }
  if (ships == 0) problems.push_back({0, "no ship start (S record)"});
}

void checkexitcount(const CheckedLevel& level, std::vector<Problem>& problems) {
  int exits = 0;
  for (const LevelObject& o : level.objects) {
    if (!isexit(o)) continue;
    if (++exits > 1) problems.push_back({o.record, "a second exit base (T 0); there must be exactly one"});
  }
  if (exits == 0) problems.push_back({0, "no exit base (T 0)"});
}

void checkshipstart(const CheckedLevel& level, std::vector<Problem>& problems) {
  const LevelObject* ship = firstship(level);
  if (!ship) return;
  if (!discfits(level.rock, ship->x, ship->y, ShipRadiusPixels)) {
    problems.push_back({ship->record, "the ship overlaps rock"});
    return;
  }
  const LevelObject* base = startbaseof(level, *ship);
  if (!base)
    problems.push_back({ship->record, "no start base (T 5) just below the ship: put it on one, at most " +
                                          std::to_string(maxstartgap()) + " px above"});
  else if (discoverlaps(ship->x, ship->y, ship->radius - 1, *base))  // resting on it is fine
    problems.push_back({ship->record, "the ship overlaps its start base: start it higher"});
}

void checkinrock(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects) {
    if (isstatic(o) && pictureinrock(o, level.rock))
      problems.push_back({o.record, "its picture overlaps rock"});
    else if (o.letter == EnemyRecord && !discfits(level.rock, o.x, o.y, o.radius))
      problems.push_back({o.record, "overlaps rock"});
  }
}

void checkoverlaps(const CheckedLevel& level, ProblemList& problems) {
  std::vector<Pile> piles = makepiles(level);
  PileGrid grid(piles);
  linkpiles(piles, grid);
  std::vector<int> pileof(level.objects.size());
  for (size_t i = 0; i < piles.size(); i++)
    for (int record : piles[i].records) pileof[record - 1] = int(i);
  std::map<int, int> startbases;  // of each pile of ships
  for (const LevelObject& o : level.objects) {
    const int pile = pileof[o.record - 1];
    if (piles[pile].touching.empty()) continue;
    int startbase = 0;
    if (o.letter == ShipRecord) {
      auto found = startbases.find(pile);
      if (found == startbases.end()) found = startbases.emplace(pile, startbaseat(level, o, grid)).first;
      startbase = found->second;
    }
    reportoverlaps(level, o, piles, pile, startbase, problems);
  }
}

Point landingspot(const LevelObject& base) {
  const int r = ShipRadiusPixels;
  float centre = float(base.y);
  for (int dx = -r; dx <= r; dx++)
    for (int y = base.picture.y; y < base.picture.y + base.picture.h; y++)
      if (covers(base, base.x + dx, y)) {
        centre = std::min(centre, float(y) - std::sqrt(float(r * r - dx * dx)));
        break;
      }
  return {float(base.x), centre};
}

bool clearsight(BITMAP* solid, Point from, Point to) {
  const float dx = to.x - from.x, dy = to.y - from.y;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (int i = 0; i <= steps; i++) {
    const float t = steps ? float(i) / float(steps) : 0.0f;
    const int x = wholepixel(from.x + dx * t), y = wholepixel(from.y + dy * t);
    if (x < 0 || y < 0 || x >= solid->w || y >= solid->h || getpixel(solid, x, y) != 0) return false;
  }
  return true;
}

bool wibbletcanfire(BITMAP* solid, Point wibblet, Point ship) {
  const float dx = ship.x - wibblet.x, dy = ship.y - wibblet.y;
  return dx * dx + dy * dy <= WibbletRange * WibbletRange && clearsight(solid, wibblet, ship);
}

void checkpadfire(const CheckedLevel& level, ProblemList& problems) {
  // Pads with one landing spot and wibblets on one spot are judged once for
  // all their copies: a pile of either costs one line of sight.
  std::map<std::pair<float, float>, std::vector<int>> pads;  // landing spot: records
  std::map<std::pair<int, int>, std::vector<int>> wibblets;  // position: records
  for (const LevelObject& o : level.objects) {
    if (isexit(o) || isstartbase(o)) {
      const Point spot = landingspot(o);
      pads[{spot.x, spot.y}].push_back(o.record);
    } else if (o.letter == EnemyRecord) {
      wibblets[{o.x, o.y}].push_back(o.record);
    }
  }
  for (const auto& [spot, padrecords] : pads) {
    std::vector<std::pair<int, int>> firing;  // record, distance
    for (const auto& [at, records] : wibblets) {
      const Point from{float(at.first), float(at.second)}, to{spot.first, spot.second};
      if (!wibbletcanfire(level.solid, from, to)) continue;
      const int away = static_cast<int>(std::lround(std::hypot(from.x - to.x, from.y - to.y)));
      for (int record : records) firing.push_back({record, away});
    }
    std::sort(firing.begin(), firing.end());
    for (int pad : padrecords) {
      long long unworded = static_cast<long long>(firing.size());
      for (size_t i = 0; i < firing.size() && problems.wants(pad); i++, unworded--)
        problems.push_back({pad, "a ship landed on it is under fire from " + naming(level.objects[firing[i].first - 1]) +
                                     ", " + std::to_string(firing[i].second) + " px away in clear sight"});
      problems.countmore(unworded);
    }
  }
}

void checkstanding(const CheckedLevel& level, std::vector<Problem>& problems) {
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && getpixel(level.rock, o.x, o.y) == 0)
      problems.push_back({o.record, "does not stand on rock: the pixel below its position is open cave"});
}

void checkhascave(const CheckedLevel& level, std::vector<Problem>& problems) {
  if (level.cave && level.cave->empty()) problems.push_back({0, "the level has no cave: it needs a cavern to fly in"});
}

void checkcaveedges(const CheckedLevel& level, std::vector<Problem>& problems) {
  if (!level.cave) return;
  const float m = CaveEdgeMargin, w = float(level.rock->w), h = float(level.rock->h);
  for (size_t i = 0; i < level.cave->size(); i++)
    for (const Point& p : (*level.cave)[i].points) {
      const bool outside = !(p.x >= 0 && p.y >= 0 && p.x <= w && p.y <= h);  // NaN too
      if (!outside && p.x >= m && p.y >= m && p.x <= w - m && p.y <= h - m) continue;
      const int x = wholepixel(p.x), y = wholepixel(p.y);
      std::ostringstream s;
      s << "cave polygon " << i + 1 << (outside ? " reaches outside the level picture" : " comes within "
          + std::to_string(CaveEdgeMargin) + " px of the picture's edge") << " at (" << x << ", " << y << ")"
        << (outside ? "" : ", leaving no room for its rim");
      problems.push_back({0, s.str(), true, x, y});
      break;
    }
}

Grid shipreach(const CheckedLevel& level) {
  const LevelObject* ship = firstship(level);
  if (!ship) return Grid(level.solid->w, level.solid->h);
  return floodfill(fitmap(level.solid, ShipRadiusPixels), ship->x, ship->y);
}

bool candock(const Grid& reached, int x, int y) {
  // A ship d pixels straight above the object has its probe |ProbePixels
  // - d| from it, which must be less than the ship's own ProbeDistance.
  for (int d = 1; d < 2 * ProbePixels; d++)
    if (reached.at(x, y - d)) return true;
  return false;
}

void checkreach(const CheckedLevel& level, const Grid& reached, std::vector<Problem>& problems) {
  const LevelObject* ship = firstship(level);
  if (!ship || !reached.at(ship->x, ship->y)) return;
  for (const LevelObject& o : level.objects)
    if (isstatic(o) && !isstartbase(o) && !candock(reached, o.x, o.y))
      problems.push_back({o.record, "the ship cannot reach it from its start"});
}

ProblemList checklevel(const CheckedLevel& level) {
  ProblemList problems;
  // Each rule finds a few problems an object at most; the list keeps the
  // first of all of them.
  auto run = [&](void (*check)(const CheckedLevel&, std::vector<Problem>&)) {
    std::vector<Problem> found;
    check(level, found);
    problems.add(found);
  };
  run(checkshipcount);
  run(checkexitcount);
  run(checkshipstart);
  run(checkinrock);
  checkoverlaps(level, problems);
  run(checkstanding);
  std::vector<Problem> found;
  checkreach(level, shipreach(level), found);
  problems.add(found);
  run(checkhascave);
  run(checkcaveedges);
  checkpadfire(level, problems);
  return problems;
}

std::string describe(const Problem& problem, const CheckedLevel& level) {
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return problem.text;
  return naming(level.objects[problem.record - 1]) + ": " + problem.text;
}

std::string plaindescribe(const Problem& problem, const CheckedLevel& level) {
  std::string text = withoutfileletters(problem.text);
  if (problem.record <= 0 || problem.record > int(level.objects.size())) return text;
  const LevelObject& o = level.objects[problem.record - 1];
  const std::string subject = "the " + objectname(o.letter, o.type) + " at (" + std::to_string(o.x) + ", " +
                              std::to_string(o.y) + ")";
  // "its picture overlaps X" reads "the tank at (...) overlaps X", and the
  // ship's "the ship overlaps X" "the ship at (...) overlaps X".
  if (startswith(text, "its picture ")) text.erase(0, 12);
  if (o.letter == ShipRecord && startswith(text, "the ship ")) return subject + text.substr(8);
  if (startswith(text, "overlaps ") || startswith(text, "does not ")) return subject + " " + text;
  return subject + ": " + text;
}
