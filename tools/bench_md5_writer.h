// tools/bench_md5_writer.h -- writes the benchmark's MD5Version 10 mesh: a textured torus of
// 100,000 vertices, 200,000 triangles and 40 joints, with texture seams and mirrored strips.
#pragma once

#include <cmath>
#include <cstdio>

namespace benchmesh {

// The torus is cut into 4 texture islands of 99 position columns each; every island has its
// own 100 vertex columns, so the last column of one island and the first of the next stand
// at the same place with other texture coordinates (a seam). Two zero-width triangles per
// ring stitch each seam, as exporters write them. Along the rings v runs up and down every
// 25 rings: strips whose texture is mirrored, where the tangent frames flip.
constexpr int kRings = 250;
constexpr int kIslands = 4;
constexpr int kIslandColumns = 99; // position columns per island
constexpr int kColumns = kIslands * kIslandColumns;
constexpr int kJoints = 40;
constexpr int kVerts = kIslands * (kIslandColumns + 1) * kRings;                       // 100,000
constexpr int kTris = kIslands * kIslandColumns * kRings * 2 + kIslands * kRings * 2; // 200,000
constexpr double kPi = 3.14159265358979323846;
constexpr double kMajor = 60.0, kMinor = 15.0;

inline int vertexIndex(int island, int column, int ring) {
    return (island * (kIslandColumns + 1) + column) * kRings + ring;
}

inline void torusPoint(int positionColumn, int ring, double p[3]) {
    const double phi = 2 * kPi * positionColumn / kColumns;
    const double psi = 2 * kPi * ring / kRings;
    p[0] = (kMajor + kMinor * std::cos(psi)) * std::cos(phi);
    p[1] = (kMajor + kMinor * std::cos(psi)) * std::sin(phi);
    p[2] = kMinor * std::sin(psi);
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
    fprintf(f, "\tnumverts %d\n", kVerts);
    for (int q = 0; q < kIslands; ++q)
        for (int c = 0; c <= kIslandColumns; ++c)
            for (int i = 0; i < kRings; ++i) {
                const int t = i % 50;
                const double u = static_cast<double>(c) / kIslandColumns;
                const double v = (t <= 25 ? t : 50 - t) / 25.0;
                fprintf(f, "\tvert %d ( %.6f %.6f ) %d 2\n", vertexIndex(q, c, i), u, v, 2 * vertexIndex(q, c, i));
            }
}

inline void writeTris(FILE* f) {
    fprintf(f, "\n\tnumtris %d\n", kTris);
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

// Two weights per vertex, shared between the two joints nearest along the torus.
inline void writeWeights(FILE* f) {
    fprintf(f, "\n\tnumweights %d\n", 2 * kVerts);
    for (int q = 0; q < kIslands; ++q)
        for (int c = 0; c <= kIslandColumns; ++c)
            for (int i = 0; i < kRings; ++i) {
                const int column = (q * kIslandColumns + c) % kColumns;
                double p[3];
                torusPoint(column, i, p);
                const double s = static_cast<double>(column) * kJoints / kColumns;
                const int j0 = static_cast<int>(std::floor(s)) % kJoints;
                const double frac = s - std::floor(s);
                const int joints[2] = {j0, (j0 + 1) % kJoints};
                const double bias[2] = {1 - frac, frac};
                for (int k = 0; k < 2; ++k) {
                    const double a = jointAngle(joints[k]);
                    const double dx = p[0] - kMajor * std::cos(a), dy = p[1] - kMajor * std::sin(a);
                    // Into the joint's frame: the transpose of its rotation about Z.
                    const double lx = std::cos(a) * dx + std::sin(a) * dy, ly = -std::sin(a) * dx + std::cos(a) * dy;
                    fprintf(f, "\tweight %d %d %.6f ( %.6f %.6f %.6f )\n", 2 * vertexIndex(q, c, i) + k, joints[k],
                            bias[k], lx, ly, p[2]);
                }
            }
}

// False when the file cannot be written.
inline bool writeBenchMesh(const char* path) {
    FILE* f = fopen(path, "w");
    if (!f) return false;
    fprintf(f, "MD5Version 10\ncommandline \"tools/gen_bench_md5\"\n\nnumJoints %d\nnumMeshes 1\n\n", kJoints);
    writeJoints(f);
    fprintf(f, "mesh {\n\tshader \"models/bench/torus\"\n\n");
    writeVerts(f);
    writeTris(f);
    writeWeights(f);
    fprintf(f, "}\n");
    return fclose(f) == 0;
}

} // namespace benchmesh
