#pragma once

#include <allegro.h>

#include <functional>
#include <ostream>
#include <vector>

#include "classes.h"
#include "playermap.h"

// The world manager: owns every live object, runs a level's frame loop,
// moves the camera, composes frames with dirty rectangles, and collides
// objects with each other.

// Object lists. Every object handed to addobject sits in exactly one of
// newobjects, gameobjects, particles and deadobjects until it is deleted.
extern std::vector<GameObject*> gameobjects;  // live non-particles, in joining order
extern std::vector<GameObject*> newobjects;   // added since the last removedeads
extern std::vector<Particle*> particles;      // live particles and explosions
extern std::vector<GameObject*> deadobjects;  // found dead, deleted next removedeads
extern std::vector<GameObject*> nearobjects;  // near the view last frame; not owned

extern float quantum;           // game seconds per frame; 0 stops ticking
extern GameObject* playership;  // the player's Ship while it lives, else null

// Camera state.
extern Point viewportcentre;          // world point the camera aims at
extern int screenoffsetx;             // world position of the screen's top-left pixel
extern int screenoffsety;
extern GameObject* trackingobject;    // followed by the camera, or null
extern std::vector<Rect> dirtyrectangles;

// Takes ownership of a new object. Particles join `particles` at once;
// others wait in newobjects until the next removedeads.
void addobject(GameObject* obj);
bool isDead(GameObject* obj);
// Deletes what was found dead last time, moves the newly dead out of the
// world, and lets newobjects join gameobjects.
void removedeads();
void deletelistobjects(std::vector<GameObject*>& list);
// Deletes every object of the previous level and resets the camera centre.
void initmanager();
// One tick step: removedeads, tick objects, tick particles, collide.
void tickall(float quantum);
// The tick part of tickall: every object of gameobjects, then every particle.
void tickworld(float quantum);
// Allegro timer callback, once a second.
void timerfunc();
void recalibrate();
// Counts one frame; when the timer has fired, sets quantum from the frames
// counted since (at least 20, so quantum is at most 0.05 s).
void measureframe();
// Runs one level until 4 game seconds after Esc, completion or ship loss.
// P pauses it; M pauses it under the level's map.
void mainloop();
// What the level's map shows of the world now: the ship, every base and
// tank, and every live wibblet, whether joined yet or not.
std::vector<MapMark> mapmarks();

// Makes obj the camera's object, and the player ship when it is a Ship.
void trackobject(GameObject* obj);
// Eases the camera after trackingobject and sets the screen offsets.
void track();
// Copies the whole of background into vscreen.
void refreshvscreen();
// Registers a rectangle of vscreen painted this frame.
void addrect(int x, int y, int w, int h);
// Draws a masked sprite into vscreen at (x, y) and registers its rectangle.
void drawsprite(BITMAP* sprite, int x, int y);
// Draws the objects near the view and the particles that the screen shows
// and, in a level's loop, the words over the view when play stops; shows
// the screen window, then restores every dirty rectangle from background.
void drawall();
// drawall's three steps, apart so that each can be timed: draw the near
// objects, the particles and the banner into vscreen (rebuilding
// nearobjects with every object near the view, shown or not; those out of
// sight get unseen() instead of draw()); blit the visible window to the
// screen; restore and forget the dirty rectangles.
void drawobjects();
void showframe();
void restorerects();
// Saves the screen as "dump.pcx".
void ScreenDump();

// Bounces every touching, approaching pair of nearobjects.
void collidedetect();
void checkcollision(GameObject* obj1, GameObject* obj2);
// The member of nearobjects nearest to (x, y), or null.
GameObject* findnearest(float x, float y);

// Writes every object of gameobjects to an objects file through
// savetextfile.
void saveobjects(const char* filename);
