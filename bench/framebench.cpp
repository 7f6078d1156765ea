// Frame budget of the real levels on a real display (run under X).
//
//   framebench [depth [frames]]   each shipped level: set-up time, then the
//                                 scripted pilot for `frames` frames (default
//                                 1000), split into tick, collision, drawing,
//                                 screen blit and restore, against its floor
//   framebench startup            install, display mode, data file, dialogs
//
// The floor of a frame is what it must do at the least: the same pictures
// drawn at the same places, the same rectangles restored and the window
// blitted, with no game logic. It is recorded during the real run and then
// replayed. Run one process per colour depth.

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <sstream>
#include <vector>

#include "classes.h"
#include "common.h"
#include "data.h"
#include "enemies.h"
#include "gamedata.h"
#include "main.h"
#include "manager.h"
#include "map.h"
#include "shot.h"
#include "support/benchsupport.h"
#include "support/pilot.h"
#include "ui.h"

namespace {

const double RadiansToAllegro = 128.0 / M_PI;

// One drawing of a recorded frame.
struct DrawOp {
  enum Kind { Sprite, Rotated, Dot, Drop, Panel } kind;
  BITMAP* bmp;  // the picture, or the panel stand-in
  int x, y;
  int value;    // fixed angle, colour or radius
  int colour;
};

struct RecordedFrame {
  std::vector<DrawOp> ops;
  std::vector<Rect> rects;
  int offsetx, offsety;
};

BITMAP* panelstandin = nullptr;  // as large as the ship's panel

void recordobject(GameObject* obj, std::vector<DrawOp>& ops) {
  int x = wholepixel(obj->position.x), y = wholepixel(obj->position.y);
  if (Ship* s = dynamic_cast<Ship*>(obj)) {
    fixed angle = ftofix(s->angle * RadiansToAllegro);
    ops.push_back({DrawOp::Rotated, s->sprite, x - s->sprite->w / 2, y - s->sprite->h / 2, angle, 0});
    ops.push_back({DrawOp::Panel, panelstandin, screenoffsetx + PanelScreenX, screenoffsety, 0, 0});
  } else if (Enemy* e = dynamic_cast<Enemy*>(obj)) {
    ops.push_back({DrawOp::Sprite, e->sprite, x - e->sprite->w / 2, y - e->sprite->h / 2, 0, 0});
  } else if (StaticObject* t = dynamic_cast<StaticObject*>(obj)) {
    ops.push_back({DrawOp::Sprite, t->sprite, x - t->width / 2, y - t->height, 0, 0});
  } else if (Shot* d = dynamic_cast<Shot*>(obj)) {
    ops.push_back({DrawOp::Drop, nullptr, x, y, wholepixel(d->radius), d->colour});
  }
}

void recordparticle(Particle* p, std::vector<DrawOp>& ops) {
  int x = wholepixel(p->position.x), y = wholepixel(p->position.y);
  if (Explosion* e = dynamic_cast<Explosion*>(p))
    ops.push_back({DrawOp::Sprite, e->sprite, x - e->sprite->w / 2, y - e->sprite->h / 2, 0, 0});
  else
    ops.push_back({DrawOp::Dot, nullptr, x, y, 0, p->colour});
}

// What the frame just drawn into vscreen drew, before its rectangles go.
RecordedFrame recordframe() {
  RecordedFrame f;
  for (GameObject* obj : nearobjects) recordobject(obj, f.ops);
  for (Particle* p : particles) recordparticle(p, f.ops);
  f.rects = dirtyrectangles;
  f.offsetx = screenoffsetx;
  f.offsety = screenoffsety;
  return f;
}

void replayop(const DrawOp& op) {
  switch (op.kind) {
    case DrawOp::Sprite: draw_sprite(vscreen, op.bmp, op.x, op.y); break;
    case DrawOp::Rotated: rotate_sprite(vscreen, op.bmp, op.x, op.y, op.value); break;
    case DrawOp::Panel: blit(op.bmp, vscreen, 0, 0, op.x, op.y, op.bmp->w, op.bmp->h); break;
    case DrawOp::Dot:
      drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
      set_trans_blender(0, 0, 0, 255);
      putpixel(vscreen, op.x, op.y, op.colour);
      set_trans_blender(0, 0, 0, 127);
      putpixel(vscreen, op.x + 1, op.y, op.colour);
      putpixel(vscreen, op.x, op.y + 1, op.colour);
      putpixel(vscreen, op.x - 1, op.y, op.colour);
      putpixel(vscreen, op.x, op.y - 1, op.colour);
      drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
      break;
    case DrawOp::Drop:
      drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
      set_trans_blender(0, 0, 0, 128);
      circlefill(vscreen, op.x, op.y, op.value, op.colour);
      drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
      circlefill(vscreen, op.x, op.y, op.value / 2, op.colour);
      break;
  }
}

double replay(const std::vector<RecordedFrame>& frames) {
  double t0 = nowms();
  for (const RecordedFrame& f : frames) {
    for (const DrawOp& op : f.ops) replayop(op);
    blit(vscreen, screen, f.offsetx, f.offsety, 0, 0, ScreenWidth, ScreenHeight);
    for (const Rect& r : f.rects) blit(background, vscreen, r.x, r.y, r.x, r.y, r.w, r.h);
  }
  return nowms() - t0;
}

// Milliseconds spent in each step of the frame, summed over the run.
struct Split {
  double tick = 0, collide = 0, camera = 0, draw = 0, show = 0, restore = 0;
  double total() const { return tick + collide + camera + draw + show + restore; }
};

// tickall in its two halves: removedeads and the ticks, then collisions.
void tickonly(float q) {
  removedeads();
  for (size_t i = 0, n = gameobjects.size(); i < n; i++) gameobjects[i]->tick(q);
  for (size_t i = 0; i < particles.size(); i++) particles[i]->tick(q);
}

template <class F>
void timed(double& sum, F step) {
  double t0 = nowms();
  step();
  sum += nowms() - t0;
}

void setuplevel(int level, double& wallms, double& cpu) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  double w0 = nowms(), c0 = cpums();
  initlevel(level);
  wallms = nowms() - w0;
  cpu = cpums() - c0;
  std::cout.rdbuf(saved);
  refreshvscreen();
  if (trackingobject) viewportcentre = trackingobject->position;
  track();
}

// Frames are run in chunks, each followed at once by the replay of its
// floor, so that a busy machine or X server hurts both alike; the ratio is
// the median over the chunks.
const int ChunkFrames = 50;

struct Totals {
  Split split;
  double floor = 0;
  long ops = 0;
  std::vector<double> ratios;  // one per chunk
};

void runchunk(int count, ScriptedPilot& pilot, std::mt19937& random, Totals& totals) {
  std::uniform_real_distribution<float> quantum(0.02f, 0.05f);
  std::vector<RecordedFrame> recorded;
  double before = totals.split.total();
  for (int i = 0; i < count; i++) {
    float q = quantum(random);
    pilot.step(q);
    Split& split = totals.split;
    timed(split.tick, [&] { tickonly(q); });
    timed(split.collide, [] { collidedetect(); });
    timed(split.camera, [] { track(); });
    timed(split.draw, [] { drawobjects(); });
    recorded.push_back(recordframe());
    totals.ops += long(recorded.back().ops.size());
    timed(split.show, [] { showframe(); });
    timed(split.restore, [] { restorerects(); });
  }
  double floor = replay(recorded);
  totals.floor += floor;
  totals.ratios.push_back((totals.split.total() - before) / floor);
}

void benchlevel(int level, int depth, int framecount) {
  double setupwall, setupcpu;
  setuplevel(level, setupwall, setupcpu);
  ScriptedPilot pilot(level);
  std::mt19937 random(level);
  Totals totals;
  for (int done = 0; done < framecount; done += ChunkFrames)
    runchunk(std::min(ChunkFrames, framecount - done), pilot, random, totals);
  pilot.release();
  const Split& split = totals.split;
  double total = split.total();
  auto share = [&](double part) { return 100.0 * part / total; };
  std::printf("level %d %2d-bit: set-up %4.0f ms (cpu %4.0f) | %5.0f fps | tick %4.1f%% collide %3.1f%% "
              "camera %3.1f%% draw %4.1f%% blit %4.1f%% restore %3.1f%% | %.3f ms/frame, floor %.3f, "
              "ratio %.2f (median of chunks %.2f) | %.0f drawings/frame\n",
              level, depth, setupwall, setupcpu, framecount * 1000.0 / total, share(split.tick),
              share(split.collide), share(split.camera), share(split.draw), share(split.show),
              share(split.restore), total / framecount, totals.floor / framecount, total / totals.floor,
              median(totals.ratios), double(totals.ops) / framecount);
  std::fflush(stdout);
}

int startup() {
  double t0 = nowms();
  if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) return 1;
  install_keyboard();
  install_timer();
  install_mouse();
  install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr);
  double t1 = nowms();
  if (chdir(MARSFLYER_RUN_DIR) != 0 || !SetupMode(false)) return 1;
  double t2 = nowms();
  if (!LoadData()) return 1;
  double t3 = nowms();
  initui();
  double t4 = nowms();
  std::printf("start-up %.0f ms: Allegro and devices %.0f, display mode %.0f (%d-bit), data file %.0f, dialogs %.0f\n",
              t4 - t0, t1 - t0, t2 - t1, chosenDepth, t3 - t2, t4 - t3);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "startup") == 0) return startup();
  int depth = depthfromargs(argc, argv);
  int frames = argc > 2 ? std::atoi(argv[2]) : 1000;
  if (!startdisplay(depth)) return 1;
  srand(1);
  panelstandin = static_cast<BITMAP*>(datafile[DataPanel].dat);  // the panel's own size
  for (int level = 1; level <= NumLevels; level++) benchlevel(level, depth, frames);
  initmanager();
  return 0;
}
END_OF_MAIN()
