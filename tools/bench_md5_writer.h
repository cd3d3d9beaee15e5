// tools/bench_md5_writer.h -- writes the benchmark's MD5Version 10 model: two textured tori of
// 50,000 vertices and 100,000 triangles each on 40 joints, with texture seams, mirrored strips
// and two or three weights per vertex.
#pragma once

#include <cmath>
#include <cstdio>

namespace benchmesh {

// Each torus is cut into 4 texture islands of 49 position columns each; every island has its
// own 50 vertex columns, so the last column of one island and the first of the next stand
// at the same place with other texture coordinates (a seam). Two zero-width triangles per
// ring stitch each seam, as exporters write them. Along the rings v runs up and down every
// 25 rings: strips whose texture is mirrored, where the tangent frames flip. Vertices on odd
// rings take a third weight.
constexpr int kMeshes = 2;
constexpr int kRings = 250;
constexpr int kIslands = 4;
constexpr int kIslandColumns = 49; // position columns per island
constexpr int kColumns = kIslands * kIslandColumns;
constexpr int kJoints = 40;
constexpr int kMeshVerts = kIslands * (kIslandColumns + 1) * kRings;                       // 50,000
constexpr int kMeshTris = kIslands * kIslandColumns * kRings * 2 + kIslands * kRings * 2; // 100,000
constexpr int kWeightsPerColumn = 2 * kRings + kRings / 2; // odd rings carry three
constexpr int kMeshWeights = kIslands * (kIslandColumns + 1) * kWeightsPerColumn;
constexpr int kVerts = kMeshes * kMeshVerts; // 100,000
constexpr int kTris = kMeshes * kMeshTris;   // 200,000
constexpr double kPi = 3.14159265358979323846;
constexpr double kMajor = 60.0, kMinor = 15.0;
constexpr double kMeshLift = 35.0; // the second torus stands above the first

inline int vertexIndex(int island, int column, int ring) {
    return (island * (kIslandColumns + 1) + column) * kRings + ring;
}

inline int weightCount(int ring) { return 2 + (ring & 1); }

inline int firstWeight(int island, int column, int ring) {
    return (island * (kIslandColumns + 1) + column) * kWeightsPerColumn + 2 * ring + ring / 2;
}

inline void torusPoint(int mesh, int positionColumn, int ring, double p[3]) {
    const double phi = 2 * kPi * positionColumn / kColumns;
    const double psi = 2 * kPi * ring / kRings;
    p[0] = (kMajor + kMinor * std::cos(psi)) * std::cos(phi);
    p[1] = (kMajor + kMinor * std::cos(psi)) * std::sin(phi);
    p[2] = kMinor * std::sin(psi) + mesh * kMeshLift;
}

inline double jointAngle(int joint) { return 2 * kPi * joint / kJoints; }

inline void writeJoints(FILE* f) {
    fprintf(f, "joints {\n");
    for (int j = 0; j < kJoints; ++j) {
        const double half = jointAngle(j) / 2;
        // The file keeps x, y, z of a quaternion whose w is taken negative: flip when cos > 0.
        const double sign = std::cos(half) > 0 ? -1.0 : 1.0;
        fprintf(f, "\t\"joint%d\"\t%d ( %.6f %.6f 0.000000 ) ( 0.0000000000 0.0000000000 %.10f )\n", j, j - 1,
                kMajor * std::cos(jointAngle(j)), kMajor * std::sin(jointAngle(j)), sign * std::sin(half));
    }
    fprintf(f, "}\n\n");
}

inline void writeVerts(FILE* f) {
    fprintf(f, "\tnumverts %d\n", kMeshVerts);
    for (int q = 0; q < kIslands; ++q)
        for (int c = 0; c <= kIslandColumns; ++c)
            for (int i = 0; i < kRings; ++i) {
                const int t = i % 50;
                const double u = static_cast<double>(c) / kIslandColumns;
                const double v = (t <= 25 ? t : 50 - t) / 25.0;
                fprintf(f, "\tvert %d ( %.6f %.6f ) %d %d\n", vertexIndex(q, c, i), u, v, firstWeight(q, c, i),
                        weightCount(i));
            }
}

inline void writeTris(FILE* f) {
    fprintf(f, "\n\tnumtris %d\n", kMeshTris);
    int n = 0;
    for (int q = 0; q < kIslands; ++q)
        for (int c = 0; c < kIslandColumns; ++c)
            for (int i = 0; i < kRings; ++i) {
                const int i1 = (i + 1) % kRings;
                const int a = vertexIndex(q, c, i), b = vertexIndex(q, c + 1, i);
                const int cc = vertexIndex(q, c, i1), d = vertexIndex(q, c + 1, i1);
                fprintf(f, "\ttri %d %d %d %d\n", n++, a, cc, b);
                fprintf(f, "\ttri %d %d %d %d\n", n++, b, cc, d);
            }
    for (int q = 0; q < kIslands; ++q)
        for (int i = 0; i < kRings; ++i) {
            const int i1 = (i + 1) % kRings;
            const int e0 = vertexIndex(q, kIslandColumns, i), e1 = vertexIndex(q, kIslandColumns, i1);
            const int s0 = vertexIndex((q + 1) % kIslands, 0, i), s1 = vertexIndex((q + 1) % kIslands, 0, i1);
            fprintf(f, "\ttri %d %d %d %d\n", n++, e0, e1, s0);
            fprintf(f, "\ttri %d %d %d %d\n", n++, s0, e1, s1);
        }
}

// Two weights shared between the two joints nearest along the torus; a third, on the joint
// after those, takes a fifth of the bias on odd rings.
inline void writeWeights(FILE* f, int mesh) {
    fprintf(f, "\n\tnumweights %d\n", kMeshWeights);
    for (int q = 0; q < kIslands; ++q)
        for (int c = 0; c <= kIslandColumns; ++c)
            for (int i = 0; i < kRings; ++i) {
                const int column = (q * kIslandColumns + c) % kColumns;
                double p[3];
                torusPoint(mesh, column, i, p);
                const double s = static_cast<double>(column) * kJoints / kColumns;
                const int j0 = static_cast<int>(std::floor(s)) % kJoints;
                const double frac = s - std::floor(s);
                const int count = weightCount(i);
                const double share = count == 3 ? 0.8 : 1.0;
                const int joints[3] = {j0, (j0 + 1) % kJoints, (j0 + 2) % kJoints};
                const double bias[3] = {share * (1 - frac), share * frac, 1 - share};
                for (int k = 0; k < count; ++k) {
                    const double a = jointAngle(joints[k]);
                    const double dx = p[0] - kMajor * std::cos(a), dy = p[1] - kMajor * std::sin(a);
                    // Into the joint's frame: the transpose of its rotation about Z.
                    const double lx = std::cos(a) * dx + std::sin(a) * dy, ly = -std::sin(a) * dx + std::cos(a) * dy;
                    fprintf(f, "\tweight %d %d %.6f ( %.6f %.6f %.6f )\n", firstWeight(q, c, i) + k, joints[k],
                            bias[k], lx, ly, p[2]);
                }
            }
}

// False when the file cannot be written.
inline bool writeBenchMesh(const char* path) {
    FILE* f = fopen(path, "w");
    if (!f) return false;
    fprintf(f, "MD5Version 10\ncommandline \"tools/gen_bench_md5\"\n\nnumJoints %d\nnumMeshes %d\n\n", kJoints,
            kMeshes);
    writeJoints(f);
    for (int m = 0; m < kMeshes; ++m) {
        fprintf(f, "mesh {\n\tshader \"models/bench/torus%d\"\n\n", m);
        writeVerts(f);
        writeTris(f);
        writeWeights(f, m);
        fprintf(f, "}\n\n");
    }
    return fclose(f) == 0;
}

} // namespace benchmesh
