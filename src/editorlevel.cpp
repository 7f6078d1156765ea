#include "editorlevel.h"

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
  steps.push_back(std::move(before));
  if (steps.size() > UndoSteps) steps.pop_front();
}

LevelState UndoHistory::pop() {
  LevelState last = std::move(steps.back());
  steps.pop_back();
  return last;
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
