#include "editorlevel.h"

#include <algorithm>
#include <cassert>

#include "enemies.h"
#include "manager.h"
#include "map.h"

namespace {

BITMAP* copyof(BITMAP* source) {
  BITMAP* copy = create_bitmap_ex(bitmap_color_depth(source), source->w, source->h);
  if (!copy) throw "Problem creating bitmaps";
  blit(source, copy, 0, 0, 0, 0, source->w, source->h);
  return copy;
}

// How far up from a point in rock floorbelow looks for open cave.
const int FloorRise = 8;

// The nearest start base below `at` whose picture spans at.x, or null.
const StaticObject* startbasebelow(Point at) {
  const StaticObject* found = nullptr;
  for (GameObject* obj : levelobjects()) {
    const StaticObject* s = dynamic_cast<const StaticObject*>(obj);
    if (!s || s->type != PlayerBaseStart || s->position.y <= at.y) continue;
    const Rect r = s->area();
    if (at.x < r.x || at.x >= r.x + r.w) continue;
    if (!found || s->position.y < found->position.y) found = s;
  }
  return found;
}

// Bases and tanks are solid where their pictures are opaque.
void stampobjects() {
  for (GameObject* obj : levelobjects())
    if (StaticObject* s = dynamic_cast<StaticObject*>(obj)) s->drawtocollisionmap();
}

}  // namespace

std::vector<GameObject*> levelobjects() {
  std::vector<GameObject*> objects;
  for (const std::vector<GameObject*>* list : {&gameobjects, &newobjects})
    for (GameObject* obj : *list)
      if (!obj->dead) objects.push_back(obj);
  return objects;
}

std::vector<PlacedObject> placedobjects() {
  std::vector<PlacedObject> records;
  PlacedObject record;
  for (GameObject* obj : levelobjects())
    if (recordof(obj, record)) records.push_back(record);
  return records;
}

void addplacedobjects(const std::vector<PlacedObject>& records) {
  for (const PlacedObject& record : records) {
    GameObject* obj = makeplaced(record);
    if (record.letter == ShipRecord) trackobject(obj);
    addobject(obj);
  }
}

void replaceobjects(const std::vector<PlacedObject>& records) {
  removedeads();  // every live object is in gameobjects now
  for (GameObject* obj : gameobjects) obj->dead = true;
  addplacedobjects(records);
  removedeads();
}

void UndoHistory::push(LevelState before) {
  undos.push_back(std::move(before));
  if (undos.size() > UndoSteps) undos.pop_front();
  redos.clear();
}

LevelState UndoHistory::undo(LevelState now) {
  LevelState last = std::move(undos.back());
  undos.pop_back();
  redos.push_back(std::move(now));
  return last;
}

LevelState UndoHistory::redo(LevelState now) {
  LevelState next = std::move(redos.back());
  redos.pop_back();
  undos.push_back(std::move(now));
  return next;
}

int floorbelow(BITMAP* rock, int x, int y) {
  if (x < 0 || x >= rock->w) return -1;
  int row = std::max(y, 0);
  // Put down a few pixels into the floor, an object still finds it.
  for (int up = 0; up < FloorRise && row > 0 && getpixel(rock, x, row) != 0; up++) row--;
  if (row < rock->h && getpixel(rock, x, row) != 0) return -1;
  for (; row < rock->h; row++)
    if (getpixel(rock, x, row) != 0) return row;
  return -1;
}

bool dropplace(const GameObject* obj, BITMAP* rock, Point& to) {
  if (const StaticObject* s = dynamic_cast<const StaticObject*>(obj)) {
    int floor = floorbelow(rock, wholepixel(s->position.x), wholepixel(s->position.y));
    if (floor < 0) return false;
    to = {s->position.x, static_cast<float>(floor)};
    return true;
  }
  if (!dynamic_cast<const Ship*>(obj)) return false;
  const StaticObject* base = startbasebelow(obj->position);
  if (!base) return false;
  to = {obj->position.x, base->position.y - ShipAboveStartBase};
  return true;
}

CavePicture::~CavePicture() {
  if (cave) destroy_bitmap(cave);
}

void CavePicture::redraw(const Cave& edited) {
  assert(levelrock() && "the editor works on a level that was set up");
  blit(levelrock(), background, 0, 0, 0, 0, background->w, background->h);
  Map(edited).drawcave();
  if (!cave) cave = copyof(collisionmap);
  else blit(collisionmap, cave, 0, 0, 0, 0, cave->w, cave->h);
  stampobjects();
  refreshvscreen();
}

void CavePicture::restamp(const Cave& edited) {
  if (!cave) return redraw(edited);
  blit(cave, collisionmap, 0, 0, 0, 0, cave->w, cave->h);
  stampobjects();
}
