#pragma once

#include <allegro.h>

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "classes.h"

// The level picture and its collision map, drawn afresh at each level
// set-up on bitmaps kept from level to level.
extern BITMAP* background;    // the rendered cave, display depth
extern BITMAP* vscreen;       // composition surface, same size and depth
extern BITMAP* collisionmap;  // 8-bit: 0 open cave, anything else solid
extern int backgroundWidth;   // 2560 once a level has been set up
extern int backgroundHeight;

// Most points one cave polygon may have.
constexpr int MaxPoints = 20;

// One cavern: its points in file order; the last joins back to the first.
struct Polygon {
  std::vector<Point> points;
};

// A level's cave, as read from its level map file.
class Map {
 public:
  Map() = default;
  // A map of these polygons: the level editor draws its edited cave so.
  explicit Map(std::vector<Polygon> polygons) : polygons(std::move(polygons)) {}

  // Reads a level map file into this (fresh) map. Throws "Failed to load
  // map" when the file cannot be opened or is cut short or garbled, and
  // "Too many points" for a polygon of more than MaxPoints points.
  void load(const char* filename);

  // Draws the lit rims and black fills into background and fills
  // collisionmap (1 rock, 0 inside any polygon).
  void drawcave();

  const std::vector<Polygon>& getpolygons() const { return polygons; }

 private:
  std::vector<Polygon> polygons;
};

// Makes background, vscreen and collisionmap 2560x2560, keeping those of
// the last set-up when they have that size and the depth (collisionmap 8
// bits, the others the colour depth set now). Their pictures are left as
// they were. Throws "Problem creating bitmaps" when one cannot be made.
void InitBackground();

// Covers background with the tiled rock texture and the dirt stamps. The
// texture is drawn once per process, from the random sequence as it stands
// then, and kept: a later set-up copies it and draws the same count of
// random numbers the stamps take, so the sequence runs on as if it had
// been drawn again. It is drawn afresh when the level's size, the depth or
// the data file's pictures change.
void InitBackgroundTexture();

// Makes the next InitBackgroundTexture draw the texture afresh.
void forgetlevelrock();

// Stamps `qty` randomly mirrored copies of a 32-bit alpha `dirt` picture at
// random places on background (alpha blender must be set).
void ApplyDirt(BITMAP* dirt, int qty);

// The rim of one cave edge: five nested translucent bands whose grey
// depends on the edge's direction. Draws nothing for a zero-length edge.
void LitLine(BITMAP* bmp, int x1, int y1, int x2, int y2);

// Fills a band `width` pixels wide along the segment, square ended.
void WideLine(BITMAP* bmp, int x1, int y1, int x2, int y2, int width, int colour);

// File names of level N: "levels/levelN.txt" and "levels/levelNobjects.txt".
std::string levelmapname(int level);
std::string levelobjectsname(int level);

// The three kinds of record in an objects file, by the letter that begins
// each: the ship, a base or tank, a wibblet.
constexpr char ShipRecord = 'S';
constexpr char StaticRecord = 'T';
constexpr char EnemyRecord = 'E';

// One record of an objects file: what kind of object stands where.
struct PlacedObject {
  char letter;     // ShipRecord, StaticRecord or EnemyRecord
  int type;        // StaticType or EnemyType number; 0 for the ship
  Point position;  // exact, not truncated
  bool operator==(const PlacedObject& o) const {
    return letter == o.letter && type == o.type && position.x == o.position.x &&
           position.y == o.position.y;
  }
};

// The record of a ship, base, tank or wibblet; false for any other object.
// With makeplaced, the one mapping between records and world objects.
bool recordof(const GameObject* obj, PlacedObject& record);

// Whether a record of this letter and type number makes an object.
bool isrecordkind(char letter, int type);

// A new world object for a record of a kind isrecordkind accepts (not yet
// handed to the manager).
GameObject* makeplaced(const PlacedObject& record);

// Writes a record as one line of an objects file: the letter, the type
// number for a base, tank or wibblet, and the position in whole pixels.
void writerecord(std::ostream& out, const PlacedObject& record);

// Writes the record of `obj`, when it has one: how ships, bases, tanks and
// wibblets save themselves.
void saverecord(std::ostream& out, const GameObject* obj);

// What the designer and the player call a record's object: "ship", the
// game's names of the kinds of base, tank and wibblet, or "object" for a
// number the game has no kind for.
std::string objectname(char letter, int type);

// Reads an objects file, creates its ship, bases, tanks and wibblets and
// hands them to addobject. Writes "Object type: X" to standard output per
// record. Throws "Failed to open objects file", "Unknown object type", or
// another text error for a cut-short or garbled record.
void InitObjects(const char* filename);

// The cave part of a level set-up: clears the world, makes or keeps and
// textures the level bitmaps, reads the level map file and draws its cave.
// Throws the text errors of those steps. levelcheck calls it on its own.
void initcave(const char* mapfile);

// The cave the last initcave read; the level editor starts from it.
const Map& levelmap();

// The textured rock every level is drawn on, as the last set-up laid it
// before the cave: the level editor draws its edited cave on it. Null
// before the first set-up. Owned here.
BITMAP* levelrock();

// Builds level `level`: initcave with its map file, then InitObjects with
// its objects file, each where levelfilepath (gamefiles.h) finds it.
void initlevel(int level);
