// Soak run: a scripted pilot plays every shipped level for a while of game
// time, level after level, then 1,000 objects are placed and deleted the
// way the level editor does it. Needs no display: the screen is a memory
// bitmap. Meant for the sanitizer build, where any fault ends the run; it
// prints the resident memory after every level set-up.
//
// Usage: soak [minutes per level, default 5] [rounds of the six levels, default 2]
// The second round plays each level for a fifth of the time. A lost ship
// sets its level up again, so a run makes a hundred or more set-ups; the
// resident memory after the tenth is compared with that after the second
// (under AddressSanitizer, the last with the tenth), and a growth over 5%
// fails the run (exit status 1), as any fault does.

#include <allegro.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <vector>

#include "classes.h"
#include "common.h"
#include "enemies.h"
#include "manager.h"
#include "map.h"
#include "playerinfo.h"
#include "support/benchsupport.h"
#include "support/pilot.h"
#include "support/testsupport.h"

namespace {

const float EndDelay = 4.0f;  // game seconds a level runs on after it ended
const int EditorObjects = 1000;

std::mt19937 random(12345);
std::vector<long> setupkb;  // resident memory after each level set-up

float randomquantum() { return std::uniform_real_distribution<float>(0.02f, 0.05f)(random); }

void setup(int level) {
  double t0 = nowms();
  playerinfo.levelcomplete = false;
  std::ostringstream trace;  // the objects file's trace lines are not figures
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  initlevel(level);
  std::cout.rdbuf(saved);
  refreshvscreen();
  setupkb.push_back(residentkb());
  std::printf("set-up %2zu: level %d in %.0f ms, %zu objects, resident %ld kB\n", setupkb.size(), level,
              nowms() - t0, newobjects.size(), setupkb.back());
}

struct PlayFigures {
  long frames = 0;
  int lives = 0;        // ships lost
  int completions = 0;  // levels finished
  size_t mostobjects = 0, mostparticles = 0;
};

// One frame as the game's loop makes it, with a made-up frame time.
void frame(float q, ScriptedPilot& pilot, PlayFigures& figures) {
  pilot.step(q);
  tickall(q);
  track();
  drawall();
  figures.frames++;
  if (gameobjects.size() > figures.mostobjects) figures.mostobjects = gameobjects.size();
  if (particles.size() > figures.mostparticles) figures.mostparticles = particles.size();
}

// Plays `level` for `seconds` of game time, setting it up again whenever
// the ship is lost or the level is done, and ending on a completed level.
void playlevel(int level, float seconds, ScriptedPilot& pilot) {
  PlayFigures figures;
  setup(level);
  float played = 0, ending = -1;
  while (played < seconds) {
    float q = randomquantum();
    frame(q, pilot, figures);
    played += q;
    // The pilot never docks at the exit, so the level-complete run-out (its
    // banner included) is played by declaring the level done near the end.
    if (played >= seconds - EndDelay && playership) playerinfo.levelcomplete = true;
    bool over = playership == nullptr || playerinfo.levelcomplete;
    if (over && ending < 0) {
      ending = EndDelay;
      (playership ? figures.completions : figures.lives)++;
    }
    if (ending >= 0 && (ending -= q) < 0 && played < seconds) {
      ending = -1;
      setup(level);
    }
  }
  pilot.release();
  std::printf("  level %d: %.0f s in %ld frames, %d ships lost, %d finished, at most %zu objects and %zu particles\n",
              level, played, figures.frames, figures.lives, figures.completions, figures.mostobjects,
              figures.mostparticles);
}

GameObject* editorobject(int n) {
  switch (n % 11) {
    case 0: return new Ship();
    case 1: case 2: case 3: case 4: case 5: case 6:
      return new StaticObject(static_cast<StaticType>(n % 11 - 1));
    default: return new Enemy(static_cast<EnemyType>(n % 11 - 6));
  }
}

// One pass of the editor's loop: the dead out, the view drawn.
void editorpass() {
  removedeads();
  drawall();
}

// Places EditorObjects objects in view one pass at a time, as the editor's
// keys do, deletes them one by one as its 'd' key does, then lets the
// manager forget them.
void editorsoak() {
  setup(1);
  removedeads();
  size_t before = gameobjects.size();
  long kb0 = residentkb();
  screenoffsetx = 0;
  screenoffsety = 0;
  viewportcentre = {320, 240};
  std::uniform_real_distribution<float> x(0, ScreenWidth), y(0, ScreenHeight);
  std::vector<GameObject*> placed;
  for (int n = 0; n < EditorObjects; n++) {
    GameObject* obj = editorobject(n);
    obj->position = {x(random), y(random)};
    addobject(obj);
    placed.push_back(obj);
    editorpass();
  }
  long kb1 = residentkb();
  for (GameObject* obj : placed) {
    obj->dead = true;
    editorpass();
  }
  removedeads();
  removedeads();
  std::printf("editor: %d objects placed (%ld kB more resident) and deleted; %zu objects before, %zu after\n",
              EditorObjects, kb1 - kb0, before, gameobjects.size());
  if (gameobjects.size() != before || !deadobjects.empty() || !newobjects.empty()) {
    std::printf("FAIL: the editor's objects were not all deleted\n");
    std::exit(1);
  }
}

#if defined(__SANITIZE_ADDRESS__)
const bool Quarantine = true;
#else
const bool Quarantine = false;
#endif

// Prints the memory figures; false when the memory grew past the limit.
bool memoryverdict() {
  if (setupkb.size() < 10) return true;
  long second = setupkb[1], tenth = setupkb[9], last = setupkb.back();
  double change = 100.0 * (tenth - second) / second, lastchange = 100.0 * (last - tenth) / tenth;
  // Under AddressSanitizer the growth up to set-up 10 is the quarantine
  // filling; the set-ups after it are judged instead.
  const bool judged = Quarantine ? lastchange <= 5.0 : change <= 5.0;
  if (Quarantine)
    std::printf("(AddressSanitizer holds freed memory, the old level bitmaps too, in a 256 MB quarantine:\n"
                " resident memory grows until that is full; the last set-ups show whether it then stays put)\n");
  std::printf("resident after set-up 2: %ld kB, after set-up 10: %ld kB (%+.1f%%%s)\n", second, tenth, change,
              Quarantine ? "" : judged ? ", limit 5%: ok" : ", limit 5%: OVER");
  std::printf("resident after the last set-up (%zu): %ld kB (%+.1f%% against set-up 10%s)\n", setupkb.size(), last,
              lastchange, !Quarantine ? "" : judged ? ", limit 5%: ok" : ", limit 5%: OVER");
  return judged;
}

}  // namespace

int main(int argc, char** argv) {
  float minutes = argc > 1 ? std::atof(argv[1]) : 5.0f;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 2;
  initallegro();
  if (chdir(rundir().c_str()) != 0) return 1;
  srand(1);
  BITMAP* memoryscreen = create_bitmap(ScreenWidth, ScreenHeight);
  if (!memoryscreen) return 1;
  screen = memoryscreen;
  playerinfo.init();
  ScriptedPilot pilot(7);
  double t0 = nowms();
  for (int round = 0; round < rounds; round++)
    for (int level = 1; level <= NumLevels; level++) playlevel(level, 60.0f * minutes / (round ? 5 : 1), pilot);
  editorsoak();
  const bool memoryok = memoryverdict();
  initmanager();
  screen = nullptr;
  destroy_bitmap(memoryscreen);
  std::printf("soak done in %.0f s\n", (nowms() - t0) / 1000);
  if (!memoryok) std::printf("FAIL: resident memory grew past the limit\n");
  return memoryok ? 0 : 1;
}
END_OF_MAIN()
