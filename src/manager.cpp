#include "manager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common.h"
#include "controls.h"
#include "data.h"
#include "enemies.h"
#include "gamedata.h"
#include "map.h"
#include "notices.h"
#include "playerinfo.h"
#include "signals.h"
#include "textfile.h"

std::vector<GameObject*> gameobjects;
std::vector<GameObject*> newobjects;
std::vector<Particle*> particles;
std::vector<GameObject*> deadobjects;
std::vector<GameObject*> nearobjects;

float quantum = 0;
GameObject* playership = nullptr;

Point viewportcentre{320.0f, 240.0f};
int screenoffsetx = 0;
int screenoffsety = 0;
GameObject* trackingobject = nullptr;
std::vector<Rect> dirtyrectangles;

namespace {

const int ScreenW = ScreenWidth;
const int ScreenH = ScreenHeight;

// Below this many frames a second the game slows down rather than take
// longer steps: quantum never exceeds 1/20 s.
const float MinFramesPerSecond = 20.0f;
// Game seconds the world keeps running after the level has ended.
const float FinishTime = 4.0f;

// The camera rests when the object is within this distance, and otherwise
// closes this fraction of the gap per frame.
const float CameraDeadZoneSquared = 49.0f;
const float CameraEase = 10.0f;

// Objects this close to the viewport centre may collide and be found: a
// whole screen in each direction, so those just off-screen still count.
// Of them only those the screen shows are drawn.
const float NearX = ScreenWidth;
const float NearY = ScreenHeight;

// Height of the "Level complete!" banner's dirty strip, and the colour
// behind its letters: Allegro's default text mode, black.
const int BannerHeight = 16;
const int BannerBackground = 0;

volatile bool timerready = false;
int framecounter = 0;
bool finished = false;
float finishtimer = 0;

// What the words over the view say: paused, lost, leaving, out of fuel.
// Outside a level's loop it says nothing.
LevelStop stop;

// P pauses and resumes; M pauses under the level's map and resumes, as P
// does while the map shows. A held key counts once.
bool showingmap = false;
bool pausekeywasdown = false;
bool mapkeywasdown = false;
// A paused level redraws at about this pace and leaves the processor alone.
const int PausedFrameMilliseconds = 10;

// Moves the dead of `list` to deadobjects, keeping the survivors in order.
template <class T>
void sweepdead(std::vector<T*>& list) {
  size_t kept = 0;
  for (size_t i = 0; i < list.size(); i++) {
    if (isDead(list[i]))
      deadobjects.push_back(list[i]);
    else
      list[kept++] = list[i];
  }
  list.resize(kept);
}

bool isnear(const GameObject* obj) {
  return std::fabs(viewportcentre.x - obj->position.x) < NearX &&
         std::fabs(viewportcentre.y - obj->position.y) < NearY;
}

void drawbanner() {
  textout_centre_ex(vscreen, font, "Level complete!", screenoffsetx + ScreenW / 2,
                    screenoffsety + 8, makecol(255, 255, 255), BannerBackground);
  addrect(screenoffsetx, screenoffsety, ScreenW, BannerHeight);
}

void clampoffsets() {
  if (screenoffsetx < 0) screenoffsetx = 0;
  if (screenoffsety < 0) screenoffsety = 0;
  // After the lower bound, so it wins for a picture smaller than the screen.
  if (screenoffsetx + ScreenW > backgroundWidth) screenoffsetx = backgroundWidth - ScreenW;
  if (screenoffsety + ScreenH > backgroundHeight) screenoffsety = backgroundHeight - ScreenH;
}

void startlevelloop() {
  finished = false;
  timerready = false;
  framecounter = 0;
  refreshvscreen();
  if (trackingobject) {
    viewportcentre = trackingobject->position;
    track();
  }
  finishtimer = FinishTime;
  stop = LevelStop{};
  showingmap = false;
  pausekeywasdown = key[KEY_P];
  mapkeywasdown = key[KEY_M];
  startplayermap(background, collisionmap);
  seeview(screenoffsetx, screenoffsety);
  recalibrate();
}

bool levelended() {
  if (key[KEY_ESC]) stop.leaving = true;
  return stop.leaving || playerinfo.levelcomplete || playership == nullptr;
}

// Keeps the words up to date with the ship: lost, or how long a store of
// it has been empty, in game seconds.
void watchship() {
  stop.complete = playerinfo.levelcomplete;
  stop.shiplost = playership == nullptr;
  const Ship* ship = dynamic_cast<const Ship*>(playership);
  const bool empty = ship && !(ship->hydrogen > 0 && ship->oxygen > 0);
  stop.fuelempty = empty ? stop.fuelempty + quantum : 0;
}

FONT* wordsfont() { return datafile ? static_cast<FONT*>(datafile[DataFont].dat) : font; }

// The words over the view, if the level's state calls for any.
void drawstopwords() {
  const char* text = stopwords(stop);
  if (!text) return;
  FONT* f = wordsfont();
  const WordsBox box = wordsbox(f, text, ScreenW / 2, StopWordsTop);
  drawwords(vscreen, f, text, box, screenoffsetx, screenoffsety);
  addrect(screenoffsetx + box.x, screenoffsety + box.y, box.w, box.h);
}

void checkscreendump() {
  if (!key[KEY_D]) return;
  ScreenDump();
  recalibrate();  // the time spent saving is no game time
}

bool keypressed(int k, bool& wasdown) {
  const bool down = key[k];
  const bool pressed = down && !wasdown;
  wasdown = down;
  return pressed;
}

// Starts counting the frames of a new second but keeps the frame time, so
// that play resumes at once, at its old pace, and the paused time is never
// counted as game time.
void restartsecond() {
  remove_int(timerfunc);
  framecounter = 0;
  timerready = false;
  install_int(timerfunc, 1000);
}

// The map over the view as it stands, with what the player has seen.
void openmap() {
  showingmap = true;
  drawobjects();
  openplayermap(vscreen, screenoffsetx, screenoffsety, mapmarks(), wordsfont());
  restorerects();
}

// Pauses or resumes on P, and on M under the map, from play or from a
// pause. Esc while paused resumes and ends the level, so that the world
// runs out its last seconds as usual. Returns whether this frame is paused.
bool updatepause() {
  const bool toggled = keypressed(KEY_P, pausekeywasdown);
  const bool mapkey = keypressed(KEY_M, mapkeywasdown);
  if (mapkey && !showingmap) {
    openmap();
    return stop.paused = true;
  }
  if (!stop.paused) return stop.paused = toggled;
  const bool escaped = key[KEY_ESC];
  if (!toggled && !mapkey && !escaped) return true;
  if (escaped) finished = stop.leaving = true;
  stop.paused = showingmap = false;
  restartsecond();
  return false;
}

// A paused frame: the world stands still under "Paused" or the map; D
// still saves the screen.
void pausedframe() {
  if (showingmap)
    showplayermap(screen);
  else
    drawall();
  if (key[KEY_D]) ScreenDump();
  rest(PausedFrameMilliseconds);
}

}  // namespace

void addobject(GameObject* obj) {
  if (Particle* p = dynamic_cast<Particle*>(obj))
    particles.push_back(p);
  else
    newobjects.push_back(obj);
}

bool isDead(GameObject* obj) { return obj->dead; }

void deletelistobjects(std::vector<GameObject*>& list) {
  for (GameObject* obj : list) delete obj;
  list.clear();
}

void removedeads() {
  if (playership && playership->dead) playership = nullptr;
  deletelistobjects(deadobjects);
  sweepdead(gameobjects);
  sweepdead(particles);
  gameobjects.insert(gameobjects.end(), newobjects.begin(), newobjects.end());
  newobjects.clear();
}

void initmanager() {
  viewportcentre = Point{320.0f, 240.0f};
  quantum = 0;
  deletelistobjects(gameobjects);
  deletelistobjects(deadobjects);
  deletelistobjects(newobjects);
  for (Particle* p : particles) delete p;
  particles.clear();
  nearobjects.clear();
  playership = nullptr;
  trackingobject = nullptr;
}

void tickall(float q) {
  removedeads();
  tickworld(q);
  collidedetect();
}

void tickworld(float q) {
  // gameobjects does not change during its pass: additions wait in
  // newobjects. Particles added while the objects ticked are ticked in the
  // same step.
  for (size_t i = 0, n = gameobjects.size(); i < n; i++) gameobjects[i]->tick(q);
  for (size_t i = 0; i < particles.size(); i++) particles[i]->tick(q);
}

void timerfunc() { timerready = true; }
END_OF_FUNCTION(timerfunc)

void recalibrate() {
  remove_int(timerfunc);
  framecounter = 0;
  quantum = 0;
  timerready = false;
  LOCK_VARIABLE(timerready);
  LOCK_FUNCTION(timerfunc);
  install_int(timerfunc, 1000);
}

void measureframe() {
  framecounter++;
  if (!timerready) return;
  float frames = static_cast<float>(framecounter);
  if (frames < MinFramesPerSecond) frames = MinFramesPerSecond;
  quantum = 1.0f / frames;
  framecounter = 0;
  timerready = false;
}

void mainloop() {
  startlevelloop();
  while (finishtimer > 0) {
    checkstop();  // SIGTERM, SIGINT or SIGHUP end the program from here
    if (updatepause()) {
      pausedframe();
      continue;
    }
    measureframe();
    polljoystick();
    if (quantum > 0) tickall(quantum);  // tick, then collide
    track();
    seeview(screenoffsetx, screenoffsety);
    drawall();
    if (levelended()) finished = true;
    watchship();
    checkscreendump();
    if (finished) finishtimer -= quantum;
  }
  remove_int(timerfunc);
  stop = LevelStop{};
}

namespace {

void addmark(std::vector<MapMark>& marks, const GameObject* obj) {
  if (obj->dead) return;
  const int x = wholepixel(obj->position.x), y = wholepixel(obj->position.y);
  if (const Ship* ship = dynamic_cast<const Ship*>(obj))
    marks.push_back({MapMark::Ship, x, y, ship->angle});
  else if (const StaticObject* base = dynamic_cast<const StaticObject*>(obj))
    marks.push_back({base->type == PlayerBaseExit ? MapMark::Exit : MapMark::Base, x, y, 0, 0, base->sprite});
  else if (const Enemy* wibblet = dynamic_cast<const Enemy*>(obj))
    marks.push_back({MapMark::Wibblet, x, y, 0, enemycolour(wibblet->type), wibblet->sprite});
}

}  // namespace

std::vector<MapMark> mapmarks() {
  std::vector<MapMark> marks;
  // For the first second of a level everything still waits in newobjects.
  for (const std::vector<GameObject*>* list : {&gameobjects, &newobjects})
    for (const GameObject* obj : *list) addmark(marks, obj);
  return marks;
}

void trackobject(GameObject* obj) {
  if (obj && dynamic_cast<Ship*>(obj)) playership = obj;
  trackingobject = obj;
}

void track() {
  if (!trackingobject) return;
  float ofsx = trackingobject->position.x - viewportcentre.x;
  float ofsy = trackingobject->position.y - viewportcentre.y;
  if (ofsx * ofsx + ofsy * ofsy > CameraDeadZoneSquared) {
    viewportcentre.x += ofsx / CameraEase;
    viewportcentre.y += ofsy / CameraEase;
  }
  if (trackingobject->dead) trackingobject = nullptr;
  // The centre may have followed an object far off the picture.
  screenoffsetx = wholepixel(viewportcentre.x) - ScreenW / 2;
  screenoffsety = wholepixel(viewportcentre.y) - ScreenH / 2;
  clampoffsets();
}

void refreshvscreen() { blit(background, vscreen, 0, 0, 0, 0, backgroundWidth, backgroundHeight); }

void addrect(int x, int y, int w, int h) { dirtyrectangles.push_back(Rect{x, y, w, h}); }

void drawsprite(BITMAP* sprite, int x, int y) {
  draw_sprite(vscreen, sprite, x, y);
  addrect(x, y, sprite->w, sprite->h);
}

namespace {

// What the screen shows of the picture this frame.
Rect shownwindow() { return Rect{screenoffsetx, screenoffsety, ScreenW, ScreenH}; }

// Only what the screen shows is drawn: the rest would be painted and
// restored for nothing.
void drawifseen(GameObject* obj, const Rect& window) {
  if (obj->seenin(window))
    obj->draw();
  else
    obj->unseen();
}

}  // namespace

void drawobjects() {
  nearobjects.clear();
  const Rect window = shownwindow();
  for (GameObject* obj : gameobjects) {
    if (!isnear(obj)) continue;
    drawifseen(obj, window);
    nearobjects.push_back(obj);
  }
  for (Particle* p : particles) drawifseen(p, window);
  if (playerinfo.levelcomplete) drawbanner();
}

void showframe() { blit(vscreen, screen, screenoffsetx, screenoffsety, 0, 0, ScreenW, ScreenH); }

namespace {

// Copies one rectangle of background into vscreen, cut to the picture and
// to vscreen's clipping rectangle as blit cuts it. Two memory bitmaps of
// one depth are copied row by row directly: a frame restores many small
// rectangles, and blit's way through Allegro costs more than the copying.
void restore(const Rect& r) {
  if (!is_memory_bitmap(background) || !is_memory_bitmap(vscreen) ||
      bitmap_color_depth(background) != bitmap_color_depth(vscreen)) {
    blit(background, vscreen, r.x, r.y, r.x, r.y, r.w, r.h);
    return;
  }
  const int x0 = std::max({r.x, 0, vscreen->cl}), y0 = std::max({r.y, 0, vscreen->ct});
  const int x1 = std::min({r.x + r.w, background->w, vscreen->cr});
  const int y1 = std::min({r.y + r.h, background->h, vscreen->cb});
  if (x1 <= x0 || y1 <= y0) return;
  const int bytes = (bitmap_color_depth(vscreen) + 7) / 8;
  for (int y = y0; y < y1; y++)
    std::memcpy(vscreen->line[y] + x0 * bytes, background->line[y] + x0 * bytes, size_t(x1 - x0) * size_t(bytes));
}

}  // namespace

void restorerects() {
  for (const Rect& r : dirtyrectangles) restore(r);
  dirtyrectangles.clear();
}

void drawall() {
  drawobjects();
  drawstopwords();
  showframe();
  restorerects();
}

void ScreenDump() {
  if (!screen) return;
  BITMAP* shot = create_sub_bitmap(screen, 0, 0, ScreenW, ScreenH);
  if (!shot) return;
  save_bitmap("dump.pcx", shot, nullptr);
  destroy_bitmap(shot);
}

namespace {

// The bodies among nearobjects, gathered once per pass.
std::vector<CollidesWithScenery*> bodies;

// Bounces two touching, approaching discs elastically and tells both.
void bounce(CollidesWithScenery* c1, CollidesWithScenery* c2) {
  float dx = c1->position.x - c2->position.x;
  float dy = c1->position.y - c2->position.y;
  float dist = std::sqrt(dx * dx + dy * dy);
  if (dist > c1->radius + c2->radius) return;
  // Coinciding centres give no line of centres to bounce along: such a
  // pair is left alone rather than pushed in a made-up direction.
  if (!(dist > 0.0f)) return;
  float rvx = c1->velocity.x - c2->velocity.x;
  float rvy = c1->velocity.y - c2->velocity.y;
  dx /= dist;
  dy /= dist;
  float component = dx * rvx + dy * rvy;
  if (component > 0) return;  // already separating
  dx *= component;
  dy *= component;
  float c2share = 2 * c1->mass / (c1->mass + c2->mass);
  float c1share = 2 * c2->mass / (c1->mass + c2->mass);
  c2->velocity.x += dx * c2share;
  c2->velocity.y += dy * c2share;
  c1->velocity.x -= dx * c1share;
  c1->velocity.y -= dy * c1share;
  c1->collidewithother(c2, component);
  c2->collidewithother(c1, component);
}

}  // namespace

void collidedetect() {
  // Pairs with anything that is not a body do nothing, so the type tests
  // are made once per object instead of once per pair; the pair order is
  // that of nearobjects.
  bodies.clear();
  for (GameObject* obj : nearobjects)
    if (CollidesWithScenery* c = dynamic_cast<CollidesWithScenery*>(obj)) bodies.push_back(c);
  for (size_t i = 0; i < bodies.size(); i++)
    for (size_t j = i + 1; j < bodies.size(); j++) bounce(bodies[i], bodies[j]);
}

void checkcollision(GameObject* obj1, GameObject* obj2) {
  CollidesWithScenery* c1 = dynamic_cast<CollidesWithScenery*>(obj1);
  CollidesWithScenery* c2 = dynamic_cast<CollidesWithScenery*>(obj2);
  if (c1 && c2) bounce(c1, c2);
}

GameObject* findnearest(float x, float y) {
  float mindist = 1.0e9f;
  GameObject* found = nullptr;
  for (GameObject* obj : nearobjects) {
    float dx = x - obj->position.x, dy = y - obj->position.y;
    float dist = std::sqrt(dx * dx + dy * dy);
    if (dist < mindist) {
      found = obj;
      mindist = dist;
    }
  }
  return found;
}

namespace {

void writeobjects(std::ostream& out) {
  for (GameObject* obj : gameobjects) obj->save(out);
}

}  // namespace

void saveobjects(const char* filename) { savetextfile(filename, writeobjects); }
