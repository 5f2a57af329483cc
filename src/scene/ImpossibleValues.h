#pragma once
// A scene as a reader gathered it, checked for numbers nothing can draw: a reader turns text
// and bytes into floats, and "nan", "1e999" or a double beyond a float's range convert without
// complaint. Refusing such a file names the first of them; writing it would give a binary scene
// that draws nothing, or garbage, with no word.
#include <string>

class Scene;

// The first impossible number in the scene, as "camera 2, frame 14: field of view 1e+30";
// empty when there is none. Impossible: a position, normal, texture coordinate, colour, camera
// target, object transform or light aim that is not a finite number, a field of view that is not
// above 0 and below 180 degrees, and a light shape the drivers cannot take.
std::string FirstImpossibleValue(const Scene& scene);

// Prints the first impossible number of the scene read from path as an error line; false when
// there is one.
bool ValuesArePossible(const char* path, const Scene& scene);
