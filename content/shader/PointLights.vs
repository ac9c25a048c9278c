!!ARBvp1.0
# PointLights.vs - up to four point lights per object, diffuse only.
# local[2k]: light k's position in eye space, w = 1 / falloff; local[2k+1]: its colour.
# An empty slot has position and colour 0 and adds nothing.
ATTRIB inPos = vertex.position;
ATTRIB inNormal = vertex.normal;
PARAM mvp[4] = { state.matrix.mvp };
PARAM modelView[4] = { state.matrix.modelview };
PARAM lights[8] = { program.local[0..7] };
PARAM constants = { 0.0, 1.0, 0.0, 0.0 };
TEMP eye, normal, toLight, sum, scale;
OUTPUT outPos = result.position;

DP4 outPos.x, mvp[0], inPos;
DP4 outPos.y, mvp[1], inPos;
DP4 outPos.z, mvp[2], inPos;
DP4 outPos.w, mvp[3], inPos;

DP4 eye.x, modelView[0], inPos;
DP4 eye.y, modelView[1], inPos;
DP4 eye.z, modelView[2], inPos;
# The rotation part of the model-view turns the normal into eye space.
DP3 normal.x, modelView[0], inNormal;
DP3 normal.y, modelView[1], inNormal;
DP3 normal.z, modelView[2], inNormal;
MOV sum, constants.x;

# Each slot: L = position - P; add max(N . L/|L|, 0) * colour * (w / |L|).
SUB toLight.xyz, lights[0], eye;
DP3 scale.x, toLight, toLight;
RSQ scale.y, scale.x;
MUL toLight.xyz, toLight, scale.y;
MUL scale.z, lights[0].w, scale.y;
DP3 scale.w, normal, toLight;
MAX scale.w, scale.w, constants.x;
MUL scale.w, scale.w, scale.z;
MAD sum.xyz, lights[1], scale.w, sum;

SUB toLight.xyz, lights[2], eye;
DP3 scale.x, toLight, toLight;
RSQ scale.y, scale.x;
MUL toLight.xyz, toLight, scale.y;
MUL scale.z, lights[2].w, scale.y;
DP3 scale.w, normal, toLight;
MAX scale.w, scale.w, constants.x;
MUL scale.w, scale.w, scale.z;
MAD sum.xyz, lights[3], scale.w, sum;

SUB toLight.xyz, lights[4], eye;
DP3 scale.x, toLight, toLight;
RSQ scale.y, scale.x;
MUL toLight.xyz, toLight, scale.y;
MUL scale.z, lights[4].w, scale.y;
DP3 scale.w, normal, toLight;
MAX scale.w, scale.w, constants.x;
MUL scale.w, scale.w, scale.z;
MAD sum.xyz, lights[5], scale.w, sum;

SUB toLight.xyz, lights[6], eye;
DP3 scale.x, toLight, toLight;
RSQ scale.y, scale.x;
MUL toLight.xyz, toLight, scale.y;
MUL scale.z, lights[6].w, scale.y;
DP3 scale.w, normal, toLight;
MAX scale.w, scale.w, constants.x;
MUL scale.w, scale.w, scale.z;
MAD sum.xyz, lights[7], scale.w, sum;

MIN result.color.primary.xyz, sum, constants.y;
MOV result.color.primary.w, constants.y;
END
